#pragma once

#include <string>

namespace korvane {

// The system's English description of an errno value ("No space left on
// device"), whatever locale the application set: messages stay in one language.
std::string systemErrorText(int error);

}  // namespace korvane
