#include "core/text/PathText.h"

#include <cstdio>
#include <vector>

#include "core/text/Utf8.h"

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

std::string PathText::copiedText(std::string_view path) {
    if (Utf8::isValid(path)) return std::string(path);
    std::string text = "$'";
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t length = Utf8::sequenceLength(path, i);
        const auto byte = static_cast<unsigned char>(path[i]);
        if (length > 1) {
            text.append(path.substr(i, length));
            i += length;
            continue;
        }
        if (byte == '\\' || byte == '\'') {
            text += '\\';
            text += static_cast<char>(byte);
        } else if (length == 0 || byte < 0x20 || byte == 0x7F) {
            // Two hex digits always: \x reads no more than two.
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        } else {
            text += static_cast<char>(byte);
        }
        ++i;
    }
    return text + "'";
}

}  // namespace korvane
