#include "core/text/PathText.h"

#include <vector>

namespace korvane {

std::string PathText::lexicallyStandardised(std::string_view path) {
    if (path.empty()) return {};
    const bool absolute = path.front() == '/';
    std::vector<std::string_view> stack;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        std::string_view component = path.substr(start, end - start);
        if (component.empty() || component == ".") {
            // nothing
        } else if (component == "..") {
            if (!stack.empty() && stack.back() != "..") {
                stack.pop_back();
            } else if (!absolute) {
                stack.push_back(component);
            }  // ".." above "/" stays at "/"
        } else {
            stack.push_back(component);
        }
        start = end + 1;
    }
    std::string result;
    for (auto component : stack) {
        if (absolute || !result.empty()) result += '/';
        result += component;
    }
    if (result.empty()) return absolute ? "/" : ".";
    return result;
}

}  // namespace korvane
