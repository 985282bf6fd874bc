#include "src/Oc/DebugTrace.h"

#include "tests/oc/OcFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

using ::testing::ElementsAre;

namespace {

std::string Line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Line(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string line = FormatTraceLine(format, args);
    va_end(args);
    return line;
}

TEST(DebugTrace, LineIsFormattedLikePrintfAndEndsWithCrLf)
{
    EXPECT_EQ("~~~Pellon Temp:-5\r\n", Line("~~~Pellon Temp:%d", -5));
    EXPECT_EQ("~~~Pellon Total:124 Count:3 Avg:41\r\n",
              Line("~~~Pellon Total:%d Count:%d Avg:%d", 124, 3, 41));
    EXPECT_EQ("\r\n", Line("%s", ""));
}

TEST(DebugTrace, TrailingWhiteSpaceIsRemovedButInnerSpaceKept)
{
    EXPECT_EQ("a  b\r\n", Line("a  b \t\r\n\v\f "));
    EXPECT_EQ("\r\n", Line(" \t "));
    EXPECT_EQ("  x\r\n", Line("  x\n"));
}

TEST(DebugTrace, LongLineIsCutAtFourThousandNinetyThreeCharacters)
{
    struct Case {
        std::size_t length;
        std::size_t kept;
    };
    for (const Case c : {Case{4092, 4092}, Case{4093, 4093}, Case{4094, 4093},
                         Case{10000, 4093}}) {
        SCOPED_TRACE(c.length);
        const std::string text(c.length, 'x');
        EXPECT_EQ(std::string(c.kept, 'x') + "\r\n", Line("%s", text.c_str()));
    }
}

TEST(DebugTrace, BlanksAtTheCutAreRemovedAsTrailing)
{
    const std::string text = std::string(4090, 'x') + std::string(10, ' ') + "tail";
    EXPECT_EQ(std::string(4090, 'x') + "\r\n", Line("%s", text.c_str()));
}

TEST(DebugTrace, LineGoesToTheDebuggerOutput)
{
    fake::DebugOutput output;
    DebugTrace("~~~Pellon Temp:%d ", 40);
    EXPECT_THAT(output.Lines(), ElementsAre("~~~Pellon Temp:40\r\n"));
}

}  // namespace
