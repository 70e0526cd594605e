#include "textfile/utf8.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "tests/textfile/byte_literals.h"

namespace {

using ztest::B;
using ztest::U;
using ztest::Units;

struct IsUtf8Case {
  const char* name;
  std::string bytes;
  int expected;
};

TEST(IsUtf8, StructuralTestOnSamples) {
  const IsUtf8Case cases[] = {
      {"plain ASCII is not UTF-8", "hello, world\r\n", 0},
      {"one CJK character", B({0xE4, 0xB8, 0xAD}), 1},
      {"cut short", B({0xE4, 0xB8}), 0},
      {"continuation without lead", B({0x80, 0x41}), 0},
      {"lead without continuation", B({0xC3, 0x28}), 0},
      {"four-byte form", B({0xF0, 0x9F, 0x98, 0x80}), 1},
      {"five-byte lead accepted", B({0xFE, 0x80, 0x80, 0x80, 0x80}), 1},
      {"six-byte lead accepted", B({0xFC, 0x80, 0x80, 0x80, 0x80, 0x80}), 1},
      {"overlong not examined", B({0xC0, 0x80}), 1},
      {"encoded surrogate not examined", B({0xED, 0xA0, 0x80}), 1},
      {"GBK bytes", B({0xD6, 0xD0, 0xCE, 0xC4}), 0},
      {"ASCII then UTF-8", "abc" + B({0xC3, 0xA9}) + "def", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, IsUtf8(c.bytes.data(), c.bytes.size())) << c.name;
  }
}

TEST(IsUtf8, ZeroLengthMeansZeroTerminated) {
  const char withZero[] = {char(0xC3), char(0xA9), 0, char(0x80), 0};
  EXPECT_EQ(1, IsUtf8(withZero, 0));                        // stops at the zero, before the 0x80
  EXPECT_EQ(0, IsUtf8(withZero, 4));                        // the whole four bytes fail
  EXPECT_EQ(0, IsUtf8("", 0));
  EXPECT_EQ(0, IsUtf8(static_cast<const char*>(nullptr), 5));
}

struct DecodeCase {
  const char* name;
  std::string bytes;
  Units units;
};

TEST(Utf8ToUtf16, StrictDecodingWithEscapes) {
  const DecodeCase cases[] = {
      {"ASCII, two and three bytes", B({0x41, 0xC3, 0xA9, 0xE4, 0xB8, 0xAD}), U({0x41, 0xE9, 0x4E2D})},
      {"four bytes give a pair", B({0x41, 0xF0, 0x9F, 0x98, 0x80, 0x42}), U({0x41, 0xD83D, 0xDE00, 0x42})},
      {"highest code point", B({0xF4, 0x8F, 0xBF, 0xBF}), U({0xDBFF, 0xDFFF})},
      {"truncated at end", B({0x41, 0xC3}), U({0x41, 0xDCC3})},
      {"bad continuation keeps what follows", B({0x41, 0xC3, 0x41}), U({0x41, 0xDCC3, 0x41})},
      {"stray continuation", B({0x41, 0x80, 0x42}), U({0x41, 0xDC80, 0x42})},
      {"overlong zero", B({0xC0, 0x80}), U({0xDCC0, 0xDC80})},
      {"overlong two-byte A", B({0xC1, 0x81}), U({0xDCC1, 0xDC81})},
      {"overlong three-byte", B({0xE0, 0x80, 0xAF}), U({0xDCE0, 0xDC80, 0xDCAF})},
      {"overlong four-byte", B({0xF0, 0x8F, 0xBF, 0xBF}), U({0xDCF0, 0xDC8F, 0xDCBF, 0xDCBF})},
      {"encoded surrogate", B({0xED, 0xA0, 0x80}), U({0xDCED, 0xDCA0, 0xDC80})},
      {"encoded escape unit", B({0xED, 0xB2, 0x80}), U({0xDCED, 0xDCB2, 0xDC80})},
      {"above U+10FFFF", B({0xF4, 0x90, 0x80, 0x80}), U({0xDCF4, 0xDC90, 0xDC80, 0xDC80})},
      {"five-byte lead", B({0xF8, 0x88, 0x80, 0x80, 0x80}), U({0xDCF8, 0xDC88, 0xDC80, 0xDC80, 0xDC80})},
      {"CJK cut, then ASCII", B({0xE4, 0xB8, 0x41}), U({0xDCE4, 0xDCB8, 0x41})},
      {"highest BMP", B({0xEF, 0xBF, 0xBF}), U({0xFFFF})},
  };
  for (const auto& c : cases) {
    CString out(_T("stale"));
    Utf8ToUtf16(c.bytes.data(), out, c.bytes.size());
    EXPECT_EQ(c.units, out.Str()) << c.name;
  }
}

TEST(Utf8ToUtf16, ZeroByteIsKeptWithExplicitLengthAndEndsZeroTerminatedInput) {
  const char bytes[] = {0x41, 0x00, 0x42};
  CString out;
  Utf8ToUtf16(bytes, out, 3);
  EXPECT_EQ(U({0x41, 0x00, 0x42}), out.Str());
  Utf8ToUtf16(bytes, out, 0);
  EXPECT_EQ(U({0x41}), out.Str());
}

struct EncodeCase {
  const char* name;
  Units units;
  std::string bytes;
};

TEST(Utf16ToUtf8, PairsAsFourBytesEscapesAsRawBytes) {
  const EncodeCase cases[] = {
      {"e acute", U({0xE9}), B({0xC3, 0xA9})},
      {"CJK", U({0x4E2D}), B({0xE4, 0xB8, 0xAD})},
      {"pair", U({0xD83D, 0xDE00}), B({0xF0, 0x9F, 0x98, 0x80})},
      {"lone high surrogate", U({0xD800}), B({0xED, 0xA0, 0x80})},
      {"lone high surrogate before ASCII", U({0xD83D, 0x41}), B({0xED, 0xA0, 0xBD, 0x41})},
      {"lone low surrogate outside escapes", U({0xDE00}), B({0xED, 0xB8, 0x80})},
      {"low below the escape range", U({0xDC7F}), B({0xED, 0xB1, 0xBF})},
      {"escape units", U({0xDC80, 0x41, 0xDCFF}), B({0x80, 0x41, 0xFF})},
      {"pair whose low half is in the escape range", U({0xD800, 0xDC80}), B({0xF0, 0x90, 0x82, 0x80})},
      {"zero unit", U({0x41, 0x00, 0x42}), B({0x41, 0x00, 0x42})},
  };
  for (const auto& c : cases) {
    CStringA out = "stale";
    Utf16ToUtf8(CString(c.units), out);
    EXPECT_EQ(c.bytes, out) << c.name;
  }
}

TEST(Utf16ToUtf8, PointerFormStopsAtZero) {
  const WCHAR text[] = {0x41, 0x4E2D, 0, 0x42, 0};
  CStringA out;
  Utf16ToUtf8(text, out);
  EXPECT_EQ(B({0x41, 0xE4, 0xB8, 0xAD}), out);
}

// Every byte string must come back byte for byte: the property the whole text layer rests on.
TEST(Utf8RoundTrip, AnyBytesSurviveDecodeThenEncode) {
  std::mt19937 rng(12345);
  // Bytes drawn mostly from the interesting range so that near-valid sequences are common.
  const int pool[] = {0x00, 0x0A, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0, 0xC1, 0xC2,
                      0xDF, 0xE0, 0xE4, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xF8, 0xFC, 0xFE, 0xFF};
  for (int round = 0; round < 20000; ++round) {
    std::string bytes;
    int len = int(rng() % 12);
    for (int i = 0; i < len; ++i) bytes += char(pool[rng() % (sizeof pool / sizeof pool[0])]);
    CString text;
    Utf8ToUtf16(bytes.data(), text, bytes.size());
    CStringA back;
    Utf16ToUtf8(text, back);
    ASSERT_EQ(bytes, back) << "round " << round;
  }
}

TEST(Utf8RoundTrip, ValidTextDecodesToItsCodePoints) {
  // Every scalar value class: encode then decode gives the same units, pairs included.
  const Units text = U({0x41, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFD, 0xD800, 0xDC00, 0xDBFF, 0xDFFF, 0xD83D, 0xDE00});
  CStringA bytes;
  Utf16ToUtf8(CString(text), bytes);
  CString back;
  Utf8ToUtf16(bytes.data(), back, bytes.size());
  EXPECT_EQ(text, back.Str());
}

}  // namespace
