#include "core/system/PathPattern.h"

#include <optional>

#include "core/system/Paths.h"

namespace korvane {

namespace {

std::vector<std::string> split(std::string_view text) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('/', start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) parts.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// Only the tilde prefix is expanded; the rest of the text is kept as written,
// so "." and ".." in a pattern compare literally.
std::string expandTilde(std::string_view text) {
    if (text.empty() || text.front() != '~') return std::string(text);
    std::size_t slash = text.find('/');
    std::string_view prefix = text.substr(0, slash);
    std::string_view rest = slash == std::string_view::npos ? std::string_view{} : text.substr(slash);
    std::optional<std::string> home = Paths::standardise(prefix);
    if (!home || home->empty() || home->front() != '/') return std::string(text);
    return rest.empty() ? *home : Paths::join(*home, rest);
}

// A component with stars inside: the literal pieces appear in order without
// overlapping, anchored at the start and end unless a star stands there.
bool matchesComponent(const std::string& pattern, const std::string& name) {
    std::size_t star = pattern.find('*');
    if (star == std::string::npos) return pattern == name;
    if (pattern == "*") return true;

    std::vector<std::string_view> pieces;
    std::string_view rest(pattern);
    for (;;) {
        std::size_t at = rest.find('*');
        pieces.push_back(rest.substr(0, at));
        if (at == std::string_view::npos) break;
        rest.remove_prefix(at + 1);
    }
    // pieces.front() must start the name, pieces.back() must end it (either
    // may be empty when the component starts or ends with a star).
    std::string_view subject(name);
    const std::string_view first = pieces.front();
    const std::string_view last = pieces.back();
    if (subject.size() < first.size() + last.size()) return false;
    if (subject.substr(0, first.size()) != first) return false;
    if (subject.substr(subject.size() - last.size()) != last) return false;
    std::string_view middle = subject.substr(first.size(), subject.size() - first.size() - last.size());
    // The inner pieces, leftmost first: the earliest fit leaves the most room.
    for (std::size_t i = 1; i + 1 < pieces.size(); ++i) {
        std::size_t at = middle.find(pieces[i]);
        if (at == std::string_view::npos) return false;
        middle.remove_prefix(at + pieces[i].size());
    }
    return true;
}

}  // namespace

PathPattern::PathPattern(std::string_view text) : description_(expandTilde(text)) {
    components_ = split(description_);
}

bool PathPattern::matches(std::string_view path) const {
    std::optional<std::string> standard = Paths::standardise(path);
    if (!standard || standard->empty() || standard->front() != '/') return false;
    const std::vector<std::string> names = split(*standard);

    const std::size_t p = components_.size();
    const std::size_t q = names.size();
    // reachable[j] after pattern component i: whether the first i pattern
    // components can consume exactly the first j path components. Linear in
    // the pattern, so no run of "**" can make matching slow.
    std::vector<char> reachable(q + 1, 0);
    reachable[0] = 1;
    for (std::size_t i = 0; i < p; ++i) {
        const std::string& component = components_[i];
        std::vector<char> next(q + 1, 0);
        if (component == "**") {
            bool any = false;
            for (std::size_t j = 0; j <= q; ++j) {
                any = any || reachable[j];
                next[j] = any;
            }
        } else {
            for (std::size_t j = 0; j < q; ++j)
                if (reachable[j] && matchesComponent(component, names[j])) next[j + 1] = 1;
        }
        reachable.swap(next);
    }
    return reachable[q] != 0;
}

}  // namespace korvane
