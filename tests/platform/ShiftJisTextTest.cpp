#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

#include <string>

using platform::shiftJisToUtf8;

namespace {

// Two-byte Shift-JIS codes of the failed-load message, written out so that the
// test does not depend on the source file's own encoding.
std::string sjis(unsigned code)
{
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

} // namespace

TEST(ShiftJisText, FailedLoadMessageConverts)
{
    const std::string message = sjis(0x93C7) + sjis(0x82DD) + sjis(0x8D9E) + sjis(0x82DD) + sjis(0x8EB8)
                                + sjis(0x9473) + "[%s]\n";
    EXPECT_EQ(shiftJisToUtf8(message), "\xE8\xAA\xAD\xE3\x81\xBF\xE8\xBE\xBC\xE3\x81\xBF\xE5\xA4\xB1\xE6\x95\x97[%s]\n");
    EXPECT_EQ(shiftJisToUtf8(message), u8"読み込み失敗[%s]\n");
}

TEST(ShiftJisText, AsciiIncludingBackslashAndTildeIsKept)
{
    EXPECT_EQ(shiftJisToUtf8("C:\\IRs\\~Hall.wav"), "C:\\IRs\\~Hall.wav");
    EXPECT_EQ(shiftJisToUtf8(""), "");
}

TEST(ShiftJisText, InvalidBytesBecomeQuestionMarks)
{
    // 0x80 and 0xA0 are unassigned, and a lead byte at the very end has no trail byte.
    const std::string converted = shiftJisToUtf8(std::string("a\x80") + "b" + sjis(0x93C7) + "\xA0" + "c\x93");
    EXPECT_EQ(converted, "a?b\xE8\xAA\xAD?c?");
}
