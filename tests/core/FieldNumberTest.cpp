#include "core/FieldNumber.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace tesmaro {
namespace {

TEST(FieldNumber, AcceptsSignDigitsAndOneSeparatorBetweenBlanks) {
    EXPECT_EQ(parseFieldNumber("42"), 42.0);
    EXPECT_EQ(parseFieldNumber("  42\t "), 42.0);
    EXPECT_EQ(parseFieldNumber("-7"), -7.0);
    EXPECT_EQ(parseFieldNumber("+7"), 7.0);
    EXPECT_EQ(parseFieldNumber("2.5"), 2.5);
    EXPECT_EQ(parseFieldNumber("2,5"), 2.5);
    EXPECT_EQ(parseFieldNumber(",5"), 0.5);
    EXPECT_EQ(parseFieldNumber("-.25"), -0.25);
    EXPECT_EQ(parseFieldNumber("5."), 5.0);
    EXPECT_EQ(parseFieldNumber("007"), 7.0);
}

TEST(FieldNumber, RejectsEverythingElse) {
    for (const char* text :
         {"",    "   ",   "+",   "-",   ".",  ",",   "1.2.3", "1,2.3", "1e5", "1E5",     "0x10",
          "- 5", "1 000", "12a", "a12", "5-", "++5", "inf",   "nan",   "1..", "\xd9\xa3"})
        EXPECT_FALSE(parseFieldNumber(text).has_value()) << '"' << text << '"';
}

TEST(FieldNumber, TooLargeIsNotANumberTooSmallIsZero) {
    EXPECT_FALSE(parseFieldNumber("1" + std::string(400, '0')).has_value());
    EXPECT_EQ(parseFieldNumber("0." + std::string(400, '0') + "1"), 0.0);
    EXPECT_EQ(fieldToInt16("-0." + std::string(400, '0') + "1"), std::int16_t{0});
}

TEST(FieldNumber, IntegersRoundHalvesToEven) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {{"2.5", 2},    {"3.5", 4},    {"-2.5", -2}, {"-3.5", -4}, {"0.5", 0}, {"1.5", 2},
                 {"2.4999", 2}, {"2.5001", 3}, {"-0.5", 0},  {"-0,6", -1}, {"7", 7},   {"12,5", 12}};
    for (const auto& c : cases) {
        EXPECT_EQ(fieldToInt16(c.text), std::int16_t(c.expected)) << c.text;
        EXPECT_EQ(fieldToInt32(c.text), std::int32_t(c.expected)) << c.text;
    }
}

TEST(FieldNumber, Int16RangeIsCheckedAfterRounding) {
    EXPECT_EQ(fieldToInt16("32767"), std::int16_t{32767});
    EXPECT_EQ(fieldToInt16("32767.4"), std::int16_t{32767});
    EXPECT_FALSE(fieldToInt16("32767.5").has_value()); // rounds to 32768
    EXPECT_FALSE(fieldToInt16("32768").has_value());
    EXPECT_EQ(fieldToInt16("-32768"), std::int16_t{-32768});
    EXPECT_EQ(fieldToInt16("-32768.5"), std::int16_t{-32768}); // the even neighbour is in range
    EXPECT_FALSE(fieldToInt16("-32769").has_value());
    EXPECT_FALSE(fieldToInt16("abc").has_value());
}

TEST(FieldNumber, Int32RangeIsCheckedAfterRounding) {
    EXPECT_EQ(fieldToInt32("2147483647"), std::int32_t{2147483647});
    EXPECT_FALSE(fieldToInt32("2147483647.5").has_value());
    EXPECT_FALSE(fieldToInt32("2147483648").has_value());
    EXPECT_EQ(fieldToInt32("-2147483648"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(fieldToInt32("-2147483648.5"), std::numeric_limits<std::int32_t>::min());
    EXPECT_FALSE(fieldToInt32("-2147483649").has_value());
    EXPECT_FALSE(fieldToInt32("99999999999999999999").has_value());
}

TEST(FieldNumber, SingleKeepsFractionsAndRefusesOverflow) {
    EXPECT_EQ(fieldToSingle("2,5"), 2.5f);
    EXPECT_EQ(fieldToSingle(" -0.1 "), -0.1f);
    EXPECT_EQ(fieldToSingle("16777217"), 16777216.0f); // to single precision as is
    EXPECT_EQ(fieldToSingle("340282346638528859811704183484516925440"), std::numeric_limits<float>::max());
    // Between the largest float and the rounding midpoint: still the largest float.
    EXPECT_EQ(fieldToSingle("340282350000000000000000000000000000000"), std::numeric_limits<float>::max());
    EXPECT_FALSE(fieldToSingle("340282356779733661637539395458142568448").has_value());
    EXPECT_FALSE(fieldToSingle("-400000000000000000000000000000000000000").has_value());
    EXPECT_FALSE(fieldToSingle("").has_value());
}

TEST(FieldNumber, RoundHalfEvenHelpers) {
    EXPECT_EQ(roundHalfEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfEven(-0.5), 0.0);
    EXPECT_EQ(roundHalfEven(4.5), 4.0);
    EXPECT_EQ(roundHalfEven(1e15 + 1), 1e15 + 1);
    EXPECT_TRUE(std::isnan(roundHalfEven(std::nan(""))));
    EXPECT_FALSE(roundToInt16(std::nan("")).has_value());
    EXPECT_FALSE(roundToInt32(std::numeric_limits<double>::infinity()).has_value());
}

} // namespace
} // namespace tesmaro
