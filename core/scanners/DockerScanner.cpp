#include "core/scanners/DockerScanner.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <utility>

#include "core/text/AsciiText.h"
#include "core/text/ByteFormat.h"
#include "core/system/Paths.h"
#include "core/system/Shell.h"
#include "core/model/SizeSum.h"
#include "core/scanners/ScanContext.h"
#include "core/scanners/VersionOrder.h"

namespace korvane {

namespace {

using Json = nlohmann::json;

// One code point of UTF-8 text at `at`, advancing `at`; an invalid byte reads
// as itself so that scanning always moves on.
char32_t nextCodePoint(std::string_view text, std::size_t& at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    int length = 1;
    char32_t value = byte;
    if (byte >= 0xF0 && byte < 0xF8) {
        length = 4;
        value = byte & 0x07;
    } else if (byte >= 0xE0) {
        length = 3;
        value = byte & 0x0F;
    } else if (byte >= 0xC0) {
        length = 2;
        value = byte & 0x1F;
    }
    if (byte < 0xC0 || byte >= 0xF8 || at + static_cast<std::size_t>(length) > text.size()) {
        ++at;
        return byte;
    }
    for (int i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + static_cast<std::size_t>(i)]);
        if ((next & 0xC0) != 0x80) {
            ++at;
            return byte;
        }
        value = (value << 6) | (next & 0x3F);
    }
    at += static_cast<std::size_t>(length);
    return value;
}

// Horizontal white space: tab and the Unicode space separators.
bool isBlank(char32_t c) {
    return c == 0x09 || c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

std::string_view trimBlanks(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t at = start;
        if (!isBlank(nextCodePoint(text, at))) break;
        start = at;
    }
    text.remove_prefix(start);
    // Trailing blanks: walk forward and remember where the last non-blank ended.
    std::size_t end = 0;
    for (std::size_t at = 0; at < text.size();) {
        const char32_t c = nextCodePoint(text, at);
        if (!isBlank(c)) end = at;
    }
    return text.substr(0, end);
}

// A member read as an array of objects; missing or of any other shape reads
// as empty.
const Json& objectArray(const Json& document, const char* key) {
    static const Json empty = Json::array();
    const auto member = document.find(key);
    if (member == document.end() || !member->is_array()) return empty;
    for (const auto& element : *member)
        if (!element.is_object()) return empty;
    return *member;
}

// A value taken as text only when it is a JSON string.
std::string text(const Json& object, const char* key, const char* fallback) {
    const auto member = object.find(key);
    if (member == object.end() || !member->is_string()) return fallback;
    return member->get<std::string>();
}

// A flag given as a JSON boolean or as the text "true" in any letter case.
bool flag(const Json& object, const char* key) {
    const auto member = object.find(key);
    if (member == object.end()) return false;
    if (member->is_boolean()) return member->get<bool>();
    if (member->is_string()) return AsciiText::lowercased(member->get<std::string>()) == "true";
    return false;
}

std::string plural(std::int64_t count, const std::string& noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// One prune command offered as a candidate, each field named where it is made.
struct Prune {
    std::string ruleID;
    std::string groupTitle;
    std::string title;
    std::int64_t size;
    SafetyLevel safety;
    std::vector<std::string> arguments;
    std::string reason;
    std::string restoreHint;
    CategoryScanner::Details details = {};
};

CleanupCandidate pruneCandidate(Prune prune) {
    // Command removals are admitted as they are: the cleanup engine's table
    // of allowed commands limits what runs.
    return CleanupCandidate(UUID::random(), CleanupCategory::docker, std::move(prune.ruleID),
                            std::move(prune.groupTitle), std::move(prune.title), "/dev/null", prune.size,
                            prune.safety, std::move(prune.reason), std::move(prune.restoreHint), std::nullopt,
                            std::move(prune.details),
                            RemovalKind::command(ExternalTool::docker, std::move(prune.arguments)));
}

std::string firstSix(const std::vector<std::string>& names) {
    std::string joined;
    for (std::size_t i = 0; i < names.size() && i < 6; ++i) {
        if (i > 0) joined += ", ";
        joined += names[i];
    }
    return joined;
}

}  // namespace

std::string DockerScanner::dataFolder() {
    return Paths::home("Library", "Containers", "com.docker.docker", "Data");
}

std::string DockerScanner::virtualDisk() { return Paths::join(dataFolder(), "vms/0/data/Docker.raw"); }

std::vector<std::string> DockerScanner::socketCandidates() {
    return {Paths::home(".docker", "run", "docker.sock"), "/var/run/docker.sock",
            Paths::home(".colima", "default", "docker.sock")};
}

bool DockerScanner::isAvailable() const {
    return Shell::resolve("docker").has_value() || exists(dataFolder());
}

std::int64_t DockerScanner::count(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return 0;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return 0;
        const int digit = c - '0';
        // Accumulate toward the sign so that the 64-bit minimum still fits.
        if (negative) {
            if (value < (std::numeric_limits<std::int64_t>::min() + digit) / 10) return 0;
            value = value * 10 - digit;
        } else {
            if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10) return 0;
            value = value * 10 + digit;
        }
    }
    return value;
}

std::int64_t DockerScanner::bytes(std::string_view input) {
    const std::string_view text = trimBlanks(input);
    if (text.empty()) return 0;

    std::size_t numberEnd = 0;
    bool asciiOnly = true;
    while (numberEnd < text.size()) {
        std::size_t at = numberEnd;
        const char32_t c = nextCodePoint(text, at);
        const bool ascii = (c >= '0' && c <= '9') || c == '.' || c == '-';
        if (!ascii && !VersionOrder::isNumberCharacter(c)) break;
        if (!ascii) asciiOnly = false;
        numberEnd = at;
    }
    const std::string_view number = text.substr(0, numberEnd);
    // Only plain ASCII decimals read as a number; other numerals fail the read.
    if (number.empty() || !asciiOnly) return 0;
    double value = 0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (end != number.data() + number.size()) return 0;
    if (error == std::errc::result_out_of_range) {
        // Too many digits: a huge positive size saturates, anything else is 0.
        const bool huge = number.front() != '-' && number.find_first_of("123456789") < number.find('.');
        return huge ? std::numeric_limits<std::int64_t>::max() : 0;
    }
    if (error != std::errc()) return 0;

    const std::string unit = AsciiText::lowercased(trimBlanks(text.substr(numberEnd)));
    double multiplier = 1;
    if (unit == "kb" || unit == "k")
        multiplier = 1e3;
    else if (unit == "mb" || unit == "m")
        multiplier = 1e6;
    else if (unit == "gb" || unit == "g")
        multiplier = 1e9;
    else if (unit == "tb" || unit == "t")
        multiplier = 1e12;
    else if (unit == "kib")
        multiplier = 1024.0;
    else if (unit == "mib")
        multiplier = 1048576.0;
    else if (unit == "gib")
        multiplier = 1073741824.0;
    else if (unit == "tib")
        multiplier = 1099511627776.0;

    const double product = value * multiplier;
    if (!(product > 0)) return 0;
    if (product >= 9223372036854775807.0) return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(product);
}

std::optional<DockerScanner::Usage> DockerScanner::parseUsage(std::string_view json) {
    const auto document = Json::parse(json.begin(), json.end(), nullptr, false);
    if (document.is_discarded() || !document.is_object()) return std::nullopt;
    Usage usage;

    for (const auto& image : objectArray(document, "Images")) {
        if (count(text(image, "Containers", "0")) >= 1) continue;
        const auto size = bytes(text(image, "UniqueSize", "0B"));
        const auto repository = text(image, "Repository", "<none>");
        const auto tag = text(image, "Tag", "<none>");
        if (repository == "<none>" || tag == "<none>") {
            usage.danglingImageSize = SizeSum::add(usage.danglingImageSize, size);
            usage.danglingImageCount += 1;
        } else {
            usage.unusedImageSize = SizeSum::add(usage.unusedImageSize, size);
            usage.unusedImageCount += 1;
            usage.unusedImageNames.push_back(repository + ":" + tag);
        }
    }

    for (const auto& container : objectArray(document, "Containers")) {
        if (AsciiText::lowercased(text(container, "State", "")) == "running") continue;
        usage.stoppedContainerCount += 1;
        usage.stoppedContainerSize =
            SizeSum::add(usage.stoppedContainerSize, bytes(text(container, "Size", "0B")));
    }

    for (const auto& volume : objectArray(document, "Volumes")) {
        if (count(text(volume, "Links", "0")) >= 1) continue;
        usage.unusedVolumeCount += 1;
        usage.unusedVolumeSize = SizeSum::add(usage.unusedVolumeSize, bytes(text(volume, "Size", "0B")));
        const auto name = volume.find("Name");
        if (name != volume.end() && name->is_string())
            usage.unusedVolumeNames.push_back(name->get<std::string>());
    }

    for (const auto& record : objectArray(document, "BuildCache")) {
        const auto size = bytes(text(record, "Size", "0B"));
        usage.buildCacheTotal = SizeSum::add(usage.buildCacheTotal, size);
        if (!flag(record, "InUse") && !flag(record, "Shared"))
            usage.buildCacheReclaimable = SizeSum::add(usage.buildCacheReclaimable, size);
    }
    return usage;
}

bool DockerScanner::isDaemonRunning() const {
    bool anySocket = false;
    for (const auto& socket : socketCandidates()) {
        if (exists(socket)) {
            anySocket = true;
            break;
        }
    }
    if (!anySocket) return false;
    try {
        const auto result = Shell::run("docker", {"info", "--format", "{{.ServerVersion}}"}, limits_.info);
        return result.status == 0 && !AsciiText::trimmed(result.stdout).empty();
    } catch (const std::exception&) {
        return false;
    }
}

std::optional<DockerScanner::Usage> DockerScanner::usage() const {
    if (!isDaemonRunning()) return std::nullopt;
    try {
        const auto result =
            Shell::run("docker", {"system", "df", "-v", "--format", "{{json .}}"}, limits_.diskUsage);
        if (result.status != 0) return std::nullopt;
        return parseUsage(result.stdout);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

CategoryResult DockerScanner::scan(const ScanContext& context) const {
    const auto data = context.measure(dataFolder(), 0);
    Findings found;
    found.addFootprint(data ? data->bytes : 0);
    const auto reported = usage();
    if (!reported) return CategoryResult(category(), found.footprint, {}, unreachableNote());
    addPruneCommands(*reported, found);
    CategoryResult result(category(), found.footprint, std::move(found.candidates), virtualDiskNote(context));
    // Without Docker Desktop's disk image, the engine keeps its data where
    // only root may read it: what it offers to prune is the least it holds,
    // or its category would offer more than it counts.
    if (!data) result.footprint = std::max(result.footprint, result.reclaimable());
    return result;
}

std::string DockerScanner::unreachableNote() {
    return Shell::resolve("docker") ? "Docker is not running, so its contents could not be "
                                      "inspected. Start Docker and scan again "
                                      "to see what is reclaimable inside it."
                                    : "The docker command was not found. Install Docker to let "
                                      "Korvane inspect its storage.";
}

void DockerScanner::addPruneCommands(const Usage& reported, Findings& found) {
    if (reported.buildCacheReclaimable >= 1)
        found.add(pruneCandidate(
            {.ruleID = "docker.buildCache",
             .groupTitle = "Build Cache",
             .title = "Unused build cache",
             .size = reported.buildCacheReclaimable,
             .safety = SafetyLevel::safe,
             .arguments = {"builder", "prune", "--force"},
             .reason = "Intermediate layers from earlier `docker build` runs that no current image references. "
                       "Docker rebuilds them when needed; the only cost is a slower next build.",
             .restoreHint = "Rebuilt on next docker build",
             .details = {{"Cache size", ByteFormat::string(reported.buildCacheTotal)}}}));
    if (reported.danglingImageSize >= 1)
        found.add(pruneCandidate(
            {.ruleID = "docker.danglingImages",
             .groupTitle = "Dangling Images",
             .title = plural(reported.danglingImageCount, "untagged image"),
             .size = reported.danglingImageSize,
             .safety = SafetyLevel::safe,
             .arguments = {"image", "prune", "--force"},
             .reason = "Images left behind when you rebuilt a tag. Nothing refers to them and they cannot be "
                       "run by name.",
             .restoreHint = "Recreated by rebuilding the image"}));
    if (reported.unusedImageSize >= 1) {
        const auto names = firstSix(reported.unusedImageNames);
        found.add(pruneCandidate(
            {.ruleID = "docker.unusedImages",
             .groupTitle = "Unused Images",
             .title = plural(reported.unusedImageCount, "image") + " with no container",
             .size = reported.unusedImageSize,
             .safety = SafetyLevel::caution,
             .arguments = {"image", "prune", "--all", "--force"},
             .reason = "Tagged images that no container is using. They can be pulled or built again, which "
                       "takes time and bandwidth.",
             .restoreHint = "docker pull, or rebuild from the Dockerfile",
             .details = {{"Includes", names.empty() ? "—" : names}}}));
    }
    if (reported.stoppedContainerCount >= 1)
        found.add(pruneCandidate(
            {.ruleID = "docker.stoppedContainers",
             .groupTitle = "Stopped Containers",
             .title = plural(reported.stoppedContainerCount, "stopped container"),
             .size = reported.stoppedContainerSize,
             .safety = SafetyLevel::caution,
             .arguments = {"container", "prune", "--force"},
             .reason = "Containers that exited and were never removed. Their writable layer is kept, along "
                       "with anything written inside them that is not on a volume.",
             .restoreHint = "docker run recreates them from the image"}));
    if (reported.unusedVolumeSize >= 1)
        found.add(pruneCandidate(
            {.ruleID = "docker.unusedVolumes",
             .groupTitle = "Unused Volumes",
             .title = plural(reported.unusedVolumeCount, "volume") + " with no container",
             .size = reported.unusedVolumeSize,
             .safety = SafetyLevel::caution,
             .arguments = {"volume", "prune", "--force"},
             .reason = "Volumes no container currently mounts. This is where databases keep their data — a "
                       "local Postgres you still want will lose everything in it.",
             .restoreHint = "Cannot be recovered. Back up anything you need first.",
             .details = {{"Includes", firstSix(reported.unusedVolumeNames)}}}));
}

std::optional<std::string> DockerScanner::virtualDiskNote(const ScanContext& context) {
    const auto disk = virtualDisk();
    const auto used = context.measure(disk, 0);
    if (!used) return std::nullopt;
    struct stat st {};
    const std::int64_t maximum = ::lstat(disk.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
    return "Docker's Linux disk (" + ByteFormat::string(used->bytes) + " used of a " + ByteFormat::string(maximum) +
           " maximum) only shrinks when Docker Desktop trims it. Cleaning here frees space inside Docker "
           "immediately; this computer may not see it until Docker compacts the disk image.";
}

}  // namespace korvane
