#pragma once

#include <string>

namespace korvane {

// What a page shows when it has nothing to list.
struct EmptyStateText {
    std::string symbol;
    std::string title;
    std::string message;

    friend bool operator==(const EmptyStateText&, const EmptyStateText&) = default;
};

}  // namespace korvane
