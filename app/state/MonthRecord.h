#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace korvane {

// Bytes of one calendar month, for the age view of the storage canvases.
struct MonthRecord {
    std::string key;  // as given: year, "-", month
    int year = 0;
    int month = 1;
    std::int64_t bytes = 0;

    friend bool operator==(const MonthRecord&, const MonthRecord&) = default;
};

// One record per key, in key order. The year is the key's first "-"-separated
// piece read as a decimal number (0 when it is not one), the month the second
// (1 when it is not one or missing).
std::vector<MonthRecord> monthRecords(const std::map<std::string, std::int64_t>& bytesByMonth);

}  // namespace korvane
