#pragma once

#include <string>
#include <string_view>

namespace korvane {

// A name as one line of text that still shows everything it holds: a line
// break becomes "⏎" (CR LF one of them), a tab "⇥", any other control
// character "�". Names are data, and a file may be called anything.
std::string oneLineText(std::string_view text);

}  // namespace korvane
