#include "app/presenters/RelativeDateText.h"

#include "core/text/RelativeDate.h"

namespace korvane {

std::string relativeDateText(std::chrono::system_clock::time_point date, std::chrono::system_clock::time_point now) {
    // One rule for every relative date the program shows, here in the middle of a line.
    std::string text = RelativeDate::string(date, now);
    if (!text.empty() && text.front() >= 'A' && text.front() <= 'Z')
        text.front() = static_cast<char>(text.front() + 32);
    return text;
}

}  // namespace korvane
