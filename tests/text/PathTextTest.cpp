#include "core/text/PathText.h"

#include <gtest/gtest.h>

namespace korvane {
namespace {

TEST(PathTextTest, APathThatIsNoTextIsCopiedAsTheShellReadsItBack) {
    const std::pair<std::string, std::string> cases[] = {
        {"/home/u/caf\xC3\xA9 notes", "/home/u/caf\xC3\xA9 notes"},  // UTF-8: as it is
        {"/home/u/caf\xE9", "$'/home/u/caf\\xE9'"},
        {"/tmp/\xFF" "a\xC3\xA9", "$'/tmp/\\xFFa\xC3\xA9'"},
        {"/tmp/it's\\\x01\xC3", "$'/tmp/it\\'s\\\\\\x01\\xC3'"},
    };
    for (const auto& [path, copied] : cases) EXPECT_EQ(PathText::copiedText(path), copied) << copied;
}

}  // namespace
}  // namespace korvane
