#include "app/presenters/CountText.h"

#include "core/text/ByteFormat.h"

namespace korvane {

std::string_view countNoun(std::int64_t count, std::string_view singular, std::string_view plural) {
    return count == 1 ? singular : plural;
}

std::string countText(std::int64_t count, std::string_view singular) {
    return countText(count, singular, std::string(singular) + "s");
}

std::string countText(std::int64_t count, std::string_view singular, std::string_view plural) {
    return ByteFormat::groupedInteger(count) + " " + std::string(countNoun(count, singular, plural));
}

}  // namespace korvane
