#include "core/system/PropertyList.h"

#include <plist/plist.h>

#include <algorithm>
#include <vector>

#include "core/system/FileContents.h"

namespace korvane {

namespace {

constexpr std::string_view binaryMagic = "bplist00";

// ---- XML ----------------------------------------------------------------

// Whether the containers of an XML list nest at most maxDepth deep. Counts
// open and close tags of arrays and dictionaries, skipping what libplist
// skips (comments, character data, processing instructions, the document
// type); anything this scan cannot follow is refused rather than guessed.
bool xmlWithinDepth(std::string_view text) {
    int depth = 0;
    std::size_t at = 0;
    // Moves past the next `end` after `from`; false when there is none.
    const auto skipPast = [&](std::string_view end, std::size_t from) {
        const std::size_t found = text.find(end, from);
        if (found == std::string_view::npos) return false;
        at = found + end.size();
        return true;
    };
    while ((at = text.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = text.substr(at);
        if (rest.starts_with("<!--")) {
            if (!skipPast("-->", at + 4)) return false;
        } else if (rest.starts_with("<![CDATA[")) {
            if (!skipPast("]]>", at + 9)) return false;
        } else if (rest.starts_with("<?")) {
            if (!skipPast("?>", at + 2)) return false;
        } else {
            const std::size_t end = text.find('>', at);
            if (end == std::string_view::npos) return false;
            std::string_view tag = text.substr(at + 1, end - at - 1);
            at = end + 1;
            if (tag.starts_with('!')) {
                // A document type with an internal subset can declare
                // anything; no real property list has one.
                if (tag.find('[') != std::string_view::npos) return false;
                continue;
            }
            const bool closing = tag.starts_with('/');
            if (closing) tag.remove_prefix(1);
            const std::string_view name = tag.substr(0, tag.find_first_of(" \t\r\n/"));
            if (name != "array" && name != "dict") continue;
            if (closing) {
                depth = std::max(depth - 1, 0);
                continue;
            }
            // An empty container ("<array/>") is a level of its own too, and
            // at the top libplist keeps it open for whatever follows.
            if (depth + 1 > PropertyList::maxDepth) return false;
            if (!tag.ends_with('/') || depth == 0) ++depth;
        }
    }
    return true;
}

// ---- binary -------------------------------------------------------------

std::uint64_t bigEndian(const unsigned char* bytes, unsigned width) {
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) value = (value << 8) | bytes[i];
    return value;
}

// The integer widths libplist reads as such; it misreads any other.
bool usualWidth(unsigned width) { return width == 1 || width == 2 || width == 4 || width == 8; }

// The object graph of a binary list ("bplist00", objects, offset table,
// 32-byte trailer), read only as far as needed to follow references.
class BinaryGraph {
public:
    // False when the trailer or offset table does not fit the bytes.
    bool open(std::string_view bytes) {
        constexpr std::size_t trailerSize = 32;
        if (bytes.size() < binaryMagic.size() + trailerSize) return false;
        data_ = reinterpret_cast<const unsigned char*>(bytes.data());
        const unsigned char* trailer = data_ + bytes.size() - trailerSize;
        offsetWidth_ = trailer[6];
        refWidth_ = trailer[7];
        count_ = bigEndian(trailer + 8, 8);
        top_ = bigEndian(trailer + 16, 8);
        table_ = bigEndian(trailer + 24, 8);
        const std::uint64_t tableEnd = bytes.size() - trailerSize;
        return usualWidth(offsetWidth_) && usualWidth(refWidth_) && count_ > 0 && top_ < count_ &&
               table_ >= binaryMagic.size() && table_ <= tableEnd &&
               count_ <= (tableEnd - table_) / offsetWidth_;
    }

    std::uint64_t count() const { return count_; }
    std::uint64_t top() const { return top_; }

    enum class Node { malformed, leaf, container };

    // What `object` is; for a container, the objects it refers to (the keys
    // and values of a dictionary, the members of an array or set) go into
    // `into`. Malformed when a reference or a count points outside the list.
    Node children(std::uint64_t object, std::vector<std::uint64_t>& into) const {
        into.clear();
        std::uint64_t at = bigEndian(data_ + table_ + object * offsetWidth_, offsetWidth_);
        if (at < binaryMagic.size() || at >= table_) return Node::malformed;
        const unsigned marker = data_[at++];
        const unsigned type = marker >> 4;
        if (type != 0xA && type != 0xC && type != 0xD) return Node::leaf;
        std::uint64_t members = marker & 0xF;
        if (members == 0xF) {
            // The count follows as an integer object.
            if (at >= table_) return Node::malformed;
            const unsigned sizeMarker = data_[at++];
            if (sizeMarker >> 4 != 0x1 || (sizeMarker & 0xF) > 3) return Node::malformed;
            const unsigned width = 1u << (sizeMarker & 0xF);
            if (width > table_ - at) return Node::malformed;
            members = bigEndian(data_ + at, width);
            at += width;
        }
        const std::uint64_t perMember = type == 0xD ? 2 : 1;
        if (members > (table_ - at) / refWidth_ / perMember) return Node::malformed;
        const std::uint64_t references = members * perMember;
        into.reserve(references);
        for (std::uint64_t i = 0; i < references; ++i) {
            const std::uint64_t target = bigEndian(data_ + at + i * refWidth_, refWidth_);
            if (target >= count_) return Node::malformed;
            into.push_back(target);
        }
        return Node::container;
    }

private:
    const unsigned char* data_ = nullptr;
    unsigned offsetWidth_ = 0;
    unsigned refWidth_ = 0;
    std::uint64_t count_ = 0;
    std::uint64_t top_ = 0;
    std::uint64_t table_ = 0;
};

// Whether a binary list is a tree libplist can build and free: references
// inside the list, no loop, containers at most maxDepth deep and at most
// maxValues values once every reference is expanded. Walks the graph once
// without recursion, remembering what each finished object amounts to.
bool binaryWithinLimits(std::string_view bytes) {
    BinaryGraph graph;
    if (!graph.open(bytes)) return false;

    enum class State : unsigned char { unseen, open, done };
    struct Finished {
        int height = 0;  // containers nested in it, itself included
        std::int64_t values = 1;
    };
    std::vector<State> state(graph.count(), State::unseen);
    std::vector<Finished> finished(graph.count());
    struct Frame {
        std::uint64_t object;
        std::vector<std::uint64_t> children;
        std::size_t next = 0;
        Finished total;
    };
    std::vector<Frame> path;  // the containers from the top object down

    // Adds a finished child to the container it belongs to.
    const auto addTo = [&](Frame& parent, const Finished& child) {
        parent.total.height = std::max(parent.total.height, child.height + 1);
        parent.total.values += child.values;
        return static_cast<int>(path.size()) - 1 + parent.total.height <= PropertyList::maxDepth &&
               parent.total.values <= PropertyList::maxValues;
    };
    // Visits `object`: a leaf is finished at once, a container is entered.
    std::vector<std::uint64_t> children;
    const auto visit = [&](std::uint64_t object) {
        const auto node = graph.children(object, children);
        if (node == BinaryGraph::Node::malformed) return false;
        if (node == BinaryGraph::Node::leaf) {
            state[object] = State::done;
            finished[object] = {0, 1};
            return true;
        }
        if (static_cast<int>(path.size()) >= PropertyList::maxDepth) return false;
        state[object] = State::open;
        path.push_back({object, std::move(children), 0, {1, 1}});
        children.clear();
        return true;
    };

    if (!visit(graph.top())) return false;
    while (!path.empty()) {
        Frame& frame = path.back();
        if (frame.next < frame.children.size()) {
            const std::uint64_t child = frame.children[frame.next++];
            if (state[child] == State::open) return false;  // a loop
            if (state[child] == State::unseen && !visit(child)) return false;
            if (state[child] == State::done && !addTo(path.back(), finished[child])) return false;
            continue;
        }
        const Finished total = frame.total;
        state[frame.object] = State::done;
        finished[frame.object] = total;
        path.pop_back();
        if (!path.empty() && !addTo(path.back(), total)) return false;
    }
    return true;
}

}  // namespace

void PropertyList::Free::operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }

std::optional<PropertyList> PropertyList::readDictionary(const std::string& path) {
    const auto bytes = FileContents::readSmall(path, maxBytes, FileContents::Links::refuse);
    if (!bytes) return std::nullopt;
    return dictionaryFrom(*bytes);
}

std::optional<PropertyList> PropertyList::dictionaryFrom(std::string_view bytes) {
    if (bytes.empty() || static_cast<std::int64_t>(bytes.size()) > maxBytes) return std::nullopt;
    const bool safe = bytes.starts_with(binaryMagic) ? binaryWithinLimits(bytes) : xmlWithinDepth(bytes);
    if (!safe) return std::nullopt;
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &root);
    if (root == nullptr) return std::nullopt;
    PropertyList list(root);
    if (plist_get_node_type(root) != PLIST_DICT) return std::nullopt;
    return list;
}

std::optional<std::string> PropertyList::string(const char* key) const {
    plist_t node = plist_dict_get_item(static_cast<plist_t>(root_.get()), key);
    if (node == nullptr || plist_get_node_type(node) != PLIST_STRING) return std::nullopt;
    std::uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    if (text == nullptr) return std::nullopt;
    const std::string_view value(text, length);
    if (value.find('\0') != std::string_view::npos) return std::nullopt;
    return std::string(value);
}

}  // namespace korvane
