#include "core/model/ScanProgress.h"

namespace korvane {

std::string ScanProgress::Phase::label() const {
    switch (kind) {
        case Case::idle:
            return "Ready";
        case Case::finished:
            return "Done";
        case Case::scanning:
            break;
    }
    std::string text = "Analyzing ";
    if (category) text += title(*category);
    text += "\u2026";
    return text;
}

}  // namespace korvane
