#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

// A path shape made of components: "*" stands for exactly one component, "**"
// for any number of components (none included), and a "*" inside a longer
// component for any run of characters within that component. Everything else
// is literal and case-sensitive. A leading "~" or "~user" is expanded.
class PathPattern {
public:
    explicit PathPattern(std::string_view text);

    const std::vector<std::string>& components() const { return components_; }
    // The tilde-expanded pattern text; also its printed form.
    const std::string& description() const { return description_; }

    // Whether the standardised form of the path has this shape. A path that
    // is not absolute once standardised, or holds a NUL byte, never matches.
    bool matches(std::string_view path) const;

    bool operator==(const PathPattern&) const = default;

private:
    std::vector<std::string> components_;
    std::string description_;
};

}  // namespace korvane
