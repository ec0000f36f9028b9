#include "core/explorer/FileSearch.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <numeric>
#include <optional>

#include "core/system/Paths.h"
#include "core/text/TextCase.h"

namespace korvane {

namespace {

// How much work one name may cost a pattern before it counts as no match,
// and how many such names make the search give the pattern up.
constexpr std::uint32_t matchLimit = 200000;
constexpr std::uint32_t depthLimit = 2000;
constexpr std::uint32_t heapLimitKiB = 20000;
constexpr int hostileNamesBeforeGivingUp = 8;
constexpr std::size_t jitStackBytes = 512 * 1024;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// `needle` is lower-case already and not empty. A letter's two cases are
// looked for with memchr each, which reads many bytes a step, and only where
// one stands is the rest compared.
bool containsIgnoringAsciiCase(std::string_view haystack, std::string_view needle) {
    if (needle.size() > haystack.size()) return false;
    const char lower = needle.front();
    const char upper = (lower >= 'a' && lower <= 'z') ? static_cast<char>(lower - 'a' + 'A') : lower;
    const char* const begin = haystack.data();
    const char* const end = begin + (haystack.size() - needle.size() + 1);  // past the last start
    auto next = [end](const char* from, char c) {
        const void* at = std::memchr(from, c, static_cast<std::size_t>(end - from));
        return at ? static_cast<const char*>(at) : end;
    };
    const char* atLower = next(begin, lower);
    const char* atUpper = upper == lower ? end : next(begin, upper);
    while (atLower != end || atUpper != end) {
        const char* at = std::min(atLower, atUpper);
        std::size_t k = 1;
        while (k < needle.size() && asciiLower(at[k]) == needle[k]) ++k;
        if (k == needle.size()) return true;
        if (at == atLower) atLower = next(at + 1, lower);
        else atUpper = next(at + 1, upper);
    }
    return false;
}

// A compiled PCRE2 pattern with its limits. Case-insensitive and UTF-aware;
// names that are not valid UTF-8 are matched as far as they are valid
// instead of failing.
class Pattern {
public:
    enum class Outcome { match, noMatch, limit };
    static constexpr std::uint32_t compileOptions = PCRE2_CASELESS | PCRE2_UTF | PCRE2_MATCH_INVALID_UTF;

    static std::unique_ptr<Pattern> compile(std::string_view text, std::uint32_t extraOptions) {
        auto pattern = std::unique_ptr<Pattern>(new Pattern);
        int error = 0;
        PCRE2_SIZE offset = 0;
        pattern->code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(),
                                       compileOptions | extraOptions, &error, &offset, nullptr);
        if (!pattern->code_) return nullptr;
        // Without the JIT (some systems forbid executable memory) the
        // interpreter runs under the same limits.
        pattern->jit_ = pcre2_jit_compile(pattern->code_, PCRE2_JIT_COMPLETE) == 0;
        pattern->data_ = pcre2_match_data_create(1, nullptr);
        pattern->context_ = pcre2_match_context_create(nullptr);
        if (!pattern->data_ || !pattern->context_) return nullptr;
        pcre2_set_match_limit(pattern->context_, matchLimit);
        pcre2_set_depth_limit(pattern->context_, depthLimit);
        pcre2_set_heap_limit(pattern->context_, heapLimitKiB);
        pattern->stack_ = pcre2_jit_stack_create(32 * 1024, jitStackBytes, nullptr);
        if (pattern->stack_) pcre2_jit_stack_assign(pattern->context_, nullptr, pattern->stack_);
        pattern->learnNecessities();
        return pattern;
    }

    ~Pattern() {
        if (stack_) pcre2_jit_stack_free(stack_);
        if (context_) pcre2_match_context_free(context_);
        if (data_) pcre2_match_data_free(data_);
        if (code_) pcre2_code_free(code_);
    }
    Pattern(const Pattern&) = delete;
    Pattern& operator=(const Pattern&) = delete;

    Outcome find(std::string_view subject) {
        if (cannotMatch(subject)) return Outcome::noMatch;
        // The JIT's own entry skips the checks of every call; it is safe on
        // names that are not valid UTF-8 since the pattern is compiled for them.
        const auto* bytes = reinterpret_cast<PCRE2_SPTR>(subject.data());
        const int rc = jit_ ? pcre2_jit_match(code_, bytes, subject.size(), 0, 0, data_, context_)
                            : pcre2_match(code_, bytes, subject.size(), 0, 0, data_, context_);
        if (rc >= 0) return Outcome::match;
        switch (rc) {
            case PCRE2_ERROR_MATCHLIMIT:
            case PCRE2_ERROR_DEPTHLIMIT:
            case PCRE2_ERROR_HEAPLIMIT:
            case PCRE2_ERROR_JIT_STACKLIMIT:
            case PCRE2_ERROR_NOMEMORY:
                return Outcome::limit;
            default:
                return Outcome::noMatch;
        }
    }

private:
    Pattern() = default;

    // What the compiled pattern says every match needs: a shortest length, a
    // first byte from a known set when it is anchored at the start, an ASCII
    // byte that must occur. Checking these here saves most names the call.
    void learnNecessities() {
        std::uint32_t options = 0;
        std::uint32_t length = 0;
        std::uint32_t flags = 0;
        std::uint32_t required = 0;
        const std::uint8_t* bitmap = nullptr;
        if (pcre2_pattern_info(code_, PCRE2_INFO_MINLENGTH, &length) == 0) minimumLength_ = length;
        if (pcre2_pattern_info(code_, PCRE2_INFO_ALLOPTIONS, &options) == 0 && (options & PCRE2_ANCHORED) &&
            pcre2_pattern_info(code_, PCRE2_INFO_FIRSTBITMAP, &bitmap) == 0 && bitmap)
            std::memcpy(firstBytes_.data(), bitmap, firstBytes_.size()), anchoredFirst_ = true;
        // Both cases of a required letter count, whether or not that part
        // of the pattern ignores case: looking for more is always safe.
        if (pcre2_pattern_info(code_, PCRE2_INFO_LASTCODETYPE, &flags) == 0 && flags == 1 &&
            pcre2_pattern_info(code_, PCRE2_INFO_LASTCODEUNIT, &required) == 0 && required > 0 && required < 0x80) {
            requiredLower_ = asciiLower(static_cast<char>(required));
            requiredUpper_ = requiredLower_ >= 'a' && requiredLower_ <= 'z'
                                 ? static_cast<char>(requiredLower_ - 'a' + 'A')
                                 : requiredLower_;
        }
    }

    bool cannotMatch(std::string_view subject) const {
        if (subject.size() < minimumLength_) return true;
        if (anchoredFirst_ && !subject.empty()) {
            const auto first = static_cast<unsigned char>(subject.front());
            if (!(firstBytes_[first / 8] >> (first % 8) & 1)) return true;
        }
        if (requiredLower_ != 0 && !std::memchr(subject.data(), requiredLower_, subject.size()) &&
            (requiredUpper_ == requiredLower_ || !std::memchr(subject.data(), requiredUpper_, subject.size())))
            return true;
        return false;
    }

    std::size_t minimumLength_ = 0;
    bool anchoredFirst_ = false;
    std::array<std::uint8_t, 32> firstBytes_{};
    char requiredLower_ = 0;
    char requiredUpper_ = 0;
    pcre2_code* code_ = nullptr;
    pcre2_match_data* data_ = nullptr;
    pcre2_match_context* context_ = nullptr;
    pcre2_jit_stack* stack_ = nullptr;
    bool jit_ = false;
};

// The text test of one search: a plain ASCII substring test, or a pattern
// (a regular expression, or the literal text when it is not ASCII so that
// case folding covers every script).
class TextTest {
public:
    // False when the pattern does not compile.
    bool prepare(const FileSearch::Query& query) {
        const std::string_view text = trimmed(query.text);
        if (text.empty()) return true;
        active_ = true;
        if (query.isRegex) {
            pattern_ = Pattern::compile(query.text, 0);
            return pattern_ != nullptr;
        }
        for (char c : text) lowered_ += asciiLower(c);
        if (!isAscii(text)) pattern_ = Pattern::compile(text, PCRE2_LITERAL);
        return true;
    }

    bool active() const { return active_; }

    bool matches(std::string_view field) {
        if (!active_) return true;
        if (!pattern_) return containsIgnoringAsciiCase(field, lowered_);
        if (givenUp_) return false;
        switch (pattern_->find(field)) {
            case Pattern::Outcome::match:
                return true;
            case Pattern::Outcome::noMatch:
                return false;
            case Pattern::Outcome::limit:
                if (++limitHits_ >= hostileNamesBeforeGivingUp) givenUp_ = true;
                return false;
        }
        return false;
    }

private:
    bool active_ = false;
    std::string lowered_;
    std::unique_ptr<Pattern> pattern_;
    int limitHits_ = 0;
    bool givenUp_ = false;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The base letters of U+00C0..U+017F, so that accented names sort with
// their plain forms rather than after "z"; '*' keeps the character itself.
constexpr std::string_view latinBase =
    "aaaaaaaceeeeiiiidnooooo*ouuuuy*s"
    "aaaaaaaceeeeiiiidnooooo*ouuuuy*y"
    "aaaaaaccccccccddddeeeeeeeeeegggggggghhhhiiiiiiiiiiiijjkkklllllll"
    "lllnnnnnnnnnoooooooorrrrrrssssssssttttttuuuuuuuuuuuuwwyyyzzzzzzs";
static_assert(latinBase.size() == 0x180 - 0xC0);

// One code point of UTF-8 (a stray byte stands for itself), folded to lower
// case for ASCII and Latin-1 letters; with `baseOnly`, accented Latin
// letters also lose their accents.
std::uint32_t nextFolded(std::string_view text, std::size_t& i, bool baseOnly) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::uint32_t cp = byte;
    std::size_t length = 1;
    if (byte >= 0xC2 && byte <= 0xF4) {
        const std::size_t need = byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        if (i + need <= text.size()) {
            std::uint32_t value = byte & (need == 2 ? 0x1F : need == 3 ? 0x0F : 0x07);
            bool valid = true;
            for (std::size_t k = 1; k < need; ++k) {
                const auto next = static_cast<unsigned char>(text[i + k]);
                if ((next & 0xC0) != 0x80) {
                    valid = false;
                    break;
                }
                value = (value << 6) | (next & 0x3F);
            }
            if (valid) {
                cp = value;
                length = need;
            }
        }
    }
    i += length;
    if (baseOnly && length > 1 && cp >= 0xC0 && cp < 0x180 && latinBase[cp - 0xC0] != '*')
        return static_cast<unsigned char>(latinBase[cp - 0xC0]);
    if (cp >= 'A' && cp <= 'Z') return cp + 32;
    if (length > 1 && cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
    return cp;
}

}  // namespace

bool FileSearch::Query::isEmpty() const {
    return trimmed(text).empty() && kind == Kind::any && minimumBytes == 0 && !withinDays;
}

std::optional<FileSearch::PatternError> FileSearch::patternError(const Query& query) {
    if (!query.isRegex || trimmed(query.text).empty()) return std::nullopt;
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(query.text.data()), query.text.size(),
                                     Pattern::compileOptions, &error, &offset, nullptr);
    if (code) {
        pcre2_code_free(code);
        return std::nullopt;
    }
    PCRE2_UCHAR message[256];
    const int length = pcre2_get_error_message(error, message, sizeof message);
    PatternError result;
    result.message =
        length > 0 ? std::string(reinterpret_cast<const char*>(message), static_cast<std::size_t>(length))
                   : "error " + std::to_string(error);
    // Characters, not bytes: continuation bytes of UTF-8 start none.
    offset = std::min<PCRE2_SIZE>(offset, query.text.size());
    result.offset = static_cast<std::size_t>(
        std::count_if(query.text.begin(), query.text.begin() + static_cast<std::ptrdiff_t>(offset),
                      [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
    result.atEnd = offset == query.text.size();
    return result;
}

bool FileSearch::Query::hasFilters() const {
    return searchesPaths || isRegex || minimumBytes >= 1 || withinDays.has_value() || kind != Kind::any;
}

namespace {

int compareNamesAt(std::string_view a, std::string_view b, bool baseOnly) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Compare the runs by value: skip leading zeros, then the longer
            // run is larger, then digit by digit.
            std::size_t endA = i;
            while (endA < a.size() && isDigit(a[endA])) ++endA;
            std::size_t endB = j;
            while (endB < b.size() && isDigit(b[endB])) ++endB;
            std::size_t startA = i;
            while (startA + 1 < endA && a[startA] == '0') ++startA;
            std::size_t startB = j;
            while (startB + 1 < endB && b[startB] == '0') ++startB;
            const std::size_t lengthA = endA - startA;
            const std::size_t lengthB = endB - startB;
            if (lengthA != lengthB) return lengthA < lengthB ? -1 : 1;
            const int digits = a.substr(startA, lengthA).compare(b.substr(startB, lengthB));
            if (digits != 0) return digits < 0 ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        const std::uint32_t ca = nextFolded(a, i, baseOnly);
        const std::uint32_t cb = nextFolded(b, j, baseOnly);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

}  // namespace

int FileSearch::compareNames(std::string_view a, std::string_view b) {
    if (isAscii(a) && isAscii(b)) return compareNamesAt(a, b, false);
    // Letters first, accents only between names that are otherwise equal;
    // case never counts, in any script the folding knows.
    const std::string lowerA = TextCase::lowercased(a);
    const std::string lowerB = TextCase::lowercased(b);
    if (int order = compareNamesAt(lowerA, lowerB, true); order != 0) return order;
    return compareNamesAt(lowerA, lowerB, false);
}

namespace {

// Appends `value` (at least 1) so that byte order is value order: the shape
// of UTF-8, which never yields a 0 byte for it.
void appendToken(std::string& key, std::uint32_t value) {
    if (value < 0x80) {
        key += static_cast<char>(value);
    } else if (value < 0x800) {
        key += static_cast<char>(0xC0 | (value >> 6));
        key += static_cast<char>(0x80 | (value & 0x3F));
    } else if (value < 0x10000) {
        key += static_cast<char>(0xE0 | (value >> 12));
        key += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        key += static_cast<char>(0x80 | (value & 0x3F));
    } else {
        key += static_cast<char>(0xF0 | std::min<std::uint32_t>(value >> 18, 7));
        key += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
        key += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
        key += static_cast<char>(0x80 | (value & 0x3F));
    }
}

// A byte string whose order is compareNamesAt's: each folded character one
// token; a run of digits one marker that sorts where any digit does against
// other characters, then the run's length without leading zeros and its digits.
void appendNameKey(std::string& key, std::string_view text, bool baseOnly) {
    std::size_t i = 0;
    while (i < text.size()) {
        if (isDigit(text[i])) {
            std::size_t end = i;
            while (end < text.size() && isDigit(text[end])) ++end;
            std::size_t start = i;
            while (start + 1 < end && text[start] == '0') ++start;
            appendToken(key, '0' + 1);
            appendToken(key, static_cast<std::uint32_t>(std::min<std::size_t>(end - start, 0x1FFFFE)) + 1);
            for (std::size_t k = start; k < end; ++k) appendToken(key, static_cast<std::uint32_t>(text[k]) + 1);
            i = end;
            continue;
        }
        appendToken(key, nextFolded(text, i, baseOnly) + 1);
    }
}

// Every entry's name order worked out once: names compared through their keys
// (letters first, accents only between otherwise equal names), ties in index order.
std::vector<std::uint32_t> nameOrder(const std::vector<FileSearch::Entry>& entries) {
    struct Span {
        std::uint32_t at;
        std::uint32_t letters;  // key length without accents
        std::uint32_t accents;  // key length with accents; 0: the same key
    };
    std::string blob;
    std::vector<Span> spans(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string& name = entries[i].name;
        Span& span = spans[i];
        span.at = static_cast<std::uint32_t>(blob.size());
        if (isAscii(name)) {
            appendNameKey(blob, name, false);
            span.letters = static_cast<std::uint32_t>(blob.size()) - span.at;
            span.accents = 0;
            continue;
        }
        const std::string lower = TextCase::lowercased(name);
        appendNameKey(blob, lower, true);
        span.letters = static_cast<std::uint32_t>(blob.size()) - span.at;
        appendNameKey(blob, lower, false);
        span.accents = static_cast<std::uint32_t>(blob.size()) - span.at - span.letters;
    }
    auto letters = [&](const Span& s) { return std::string_view(blob).substr(s.at, s.letters); };
    auto accents = [&](const Span& s) {
        return s.accents == 0 ? letters(s) : std::string_view(blob).substr(s.at + s.letters, s.accents);
    };
    std::vector<std::uint32_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
        const Span& a = spans[x];
        const Span& b = spans[y];
        if (int c = letters(a).compare(letters(b)); c != 0) return c < 0;
        if (int c = accents(a).compare(accents(b)); c != 0) return c < 0;
        return x < y;
    });
    return order;
}

template <class Key>
std::vector<std::uint32_t> orderBy(const std::vector<FileSearch::Entry>& entries, Key key) {
    using Value = decltype(key(entries.front()));
    std::vector<Value> keys;
    keys.reserve(entries.size());
    for (const auto& entry : entries) keys.push_back(key(entry));
    std::vector<std::uint32_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0u);
    // Largest (newest) first; ties in index order.
    std::sort(order.begin(), order.end(), [&](std::uint32_t x, std::uint32_t y) {
        if (keys[x] != keys[y]) return keys[x] > keys[y];
        return x < y;
    });
    return order;
}

std::vector<std::uint32_t> sortOrder(const std::vector<FileSearch::Entry>& entries, FileSearch::Sort sort) {
    if (entries.empty()) return {};
    switch (sort) {
        case FileSearch::Sort::size:
            return orderBy(entries, [](const FileSearch::Entry& e) { return e.size; });
        case FileSearch::Sort::modified:
            return orderBy(entries, [](const FileSearch::Entry& e) { return e.modified.time_since_epoch().count(); });
        case FileSearch::Sort::name:
            break;
    }
    return nameOrder(entries);
}

// The marks of one query, kept per thread so that a query allocates only its results.
std::vector<std::uint64_t>& matchMarks(std::size_t count) {
    thread_local std::vector<std::uint64_t> marks;
    marks.assign((count + 63) / 64, 0);
    return marks;
}

// What a kind filter reads of an entry: its name's kind as a file's, with
// the top bit set for a directory.
constexpr std::uint8_t directoryBit = 0x80;

std::uint8_t kindByte(const FileSearch::Entry& entry) {
    return static_cast<std::uint8_t>(static_cast<std::uint8_t>(classifyFileKind(entry.name, false)) |
                                     (entry.isDirectory ? directoryBit : 0));
}

std::vector<FileSearch::Entry> search(const FileSearch::Query& query, const std::vector<FileSearch::Entry>& entries,
                                      const std::vector<std::uint32_t>& order, const std::uint8_t* kinds, int limit,
                                      std::chrono::system_clock::time_point now) {
    using Kind = FileSearch::Kind;
    std::vector<FileSearch::Entry> result;
    TextTest text;
    if (!text.prepare(query)) return result;
    if (limit <= 0 || entries.empty()) return result;
    const auto wanted = static_cast<std::size_t>(limit);

    // Nothing to test: the first entries in the sort's order.
    if (trimmed(query.text).empty() && query.kind == Kind::any && query.minimumBytes <= 0 && !query.withinDays) {
        const std::size_t count = std::min(wanted, order.size());
        result.reserve(count);
        for (std::size_t k = 0; k < count; ++k) result.push_back(entries[order[k]]);
        return result;
    }

    std::optional<std::chrono::system_clock::time_point> cutoff;
    if (query.withinDays) {
        // Clamped to about 150 years either way, so that no day count can
        // overflow the clock.
        const double seconds = std::clamp(static_cast<double>(*query.withinDays) * 86400.0, -5e9, 5e9);
        cutoff = now - std::chrono::duration_cast<std::chrono::system_clock::duration>(
                           std::chrono::duration<double>(seconds));
    }
    const auto wantedKind = static_cast<std::uint8_t>(query.kind);
    auto kindMatches = [&](std::size_t i) {
        const std::uint8_t kind = kinds ? kinds[i] : kindByte(entries[i]);
        switch (query.kind) {
            case Kind::any:
                return true;
            case Kind::apps:
                return (kind & ~directoryBit) == wantedKind;
            case Kind::folders:
                return (kind & directoryBit) != 0;
            default:
                return kind == wantedKind;
        }
    };
    auto passesFilters = [&](std::size_t i) {
        const FileSearch::Entry& entry = entries[i];
        if (entry.size < query.minimumBytes) return false;
        if (cutoff && entry.modified < *cutoff) return false;
        return true;
    };
    std::vector<std::uint64_t>& marks = matchMarks(entries.size());
    std::size_t matched = 0;
    // One tight loop per shape of query, so the common one (text alone)
    // reads nothing of an entry but the field it tests.
    auto markWhere = [&](auto&& test) {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (!test(i)) continue;
            marks[i / 64] |= std::uint64_t{1} << (i % 64);
            ++matched;
        }
    };
    const bool measured = query.minimumBytes > 0 || cutoff;
    const bool kindFiltered = query.kind != Kind::any;
    if (!measured && !kindFiltered && query.searchesPaths) {
        markWhere([&](std::size_t i) { return text.matches(entries[i].path); });
    } else if (!measured && !kindFiltered) {
        markWhere([&](std::size_t i) { return text.matches(entries[i].name); });
    } else if (!measured && !text.active()) {
        markWhere(kindMatches);
    } else {
        markWhere([&](std::size_t i) {
            return kindMatches(i) && passesFilters(i) &&
                   text.matches(query.searchesPaths ? entries[i].path : entries[i].name);
        });
    }
    // The sort's order, cut at the limit: no comparison at query time.
    result.reserve(std::min(wanted, matched));
    for (std::uint32_t i : order) {
        if (result.size() == wanted || result.size() == matched) break;
        if (marks[i / 64] >> (i % 64) & 1) result.push_back(entries[i]);
    }
    return result;
}

}  // namespace

FileSearch::Index::Index(std::vector<Entry> entries) : entries_(std::move(entries)) {
    for (Sort sort : allSorts()) orders_[static_cast<std::size_t>(sort)] = sortOrder(entries_, sort);
    kinds_.reserve(entries_.size());
    for (const Entry& entry : entries_) kinds_.push_back(kindByte(entry));
}

std::vector<FileSearch::Entry> FileSearch::run(const Query& query, const std::vector<Entry>& entries,
                                               Sort sort, int limit) {
    return run(query, entries, sort, limit, std::chrono::system_clock::now());
}

std::vector<FileSearch::Entry> FileSearch::run(const Query& query, const std::vector<Entry>& entries,
                                               Sort sort, int limit,
                                               std::chrono::system_clock::time_point now) {
    return search(query, entries, sortOrder(entries, sort), nullptr, limit, now);
}

std::vector<FileSearch::Entry> FileSearch::run(const Query& query, const Index& index, Sort sort, int limit) {
    return run(query, index, sort, limit, std::chrono::system_clock::now());
}

std::vector<FileSearch::Entry> FileSearch::run(const Query& query, const Index& index, Sort sort, int limit,
                                               std::chrono::system_clock::time_point now) {
    return search(query, index.entries_, index.orders_[static_cast<std::size_t>(sort)], index.kinds_.data(), limit,
                  now);
}

const std::array<FileSearch::Sort, 3>& FileSearch::allSorts() {
    static constexpr std::array<Sort, 3> all = {Sort::size, Sort::name, Sort::modified};
    return all;
}

namespace {

struct SortRow {
    FileSearch::Sort sort;
    std::string_view rawValue;
    std::string_view title;
};

constexpr std::array<SortRow, 3> sortTable = {{
    {FileSearch::Sort::size, "size", "Largest first"},
    {FileSearch::Sort::name, "name", "Name"},
    {FileSearch::Sort::modified, "modified", "Newest first"},
}};

const SortRow& sortRow(FileSearch::Sort sort) { return sortTable[static_cast<std::size_t>(sort)]; }

}  // namespace

std::string_view FileSearch::rawValue(Sort sort) { return sortRow(sort).rawValue; }

std::optional<FileSearch::Sort> FileSearch::sortFromRawValue(std::string_view text) {
    for (const SortRow& row : sortTable)
        if (row.rawValue == text) return row.sort;
    return std::nullopt;
}

std::string_view FileSearch::title(Sort sort) { return sortRow(sort).title; }

}  // namespace korvane
