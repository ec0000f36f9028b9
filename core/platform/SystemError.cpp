#include "core/platform/SystemError.h"

#include <cstring>

namespace korvane {

std::string systemErrorText(int error) {
    if (const char* text = strerrordesc_np(error)) return text;
    return "Unknown error " + std::to_string(error);
}

}  // namespace korvane
