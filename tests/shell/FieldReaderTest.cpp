// FieldReader: how every command reads its numeric fields, and how it fails (when the command
// takes the value).
#include "shell/FieldReader.h"
#include "document/CommandFailure.h"

#include <QLineEdit>
#include <gtest/gtest.h>

#include <cmath>

namespace tesmaro {
namespace {

// The field's text goes through a real line edit, as the commands read it.
float single(const QString& text) {
    QLineEdit field(text);
    return FieldReader::single(&field).get();
}
std::int16_t int16(const QString& text) {
    QLineEdit field(text);
    return FieldReader::int16(&field).get();
}
std::int32_t int32(const QString& text) {
    QLineEdit field(text);
    return FieldReader::int32(&field).get();
}

TEST(FieldReader, SingleTakesBothSeparatorsSignsAndBlanks) {
    EXPECT_FLOAT_EQ(single("12.5"), 12.5f);
    EXPECT_FLOAT_EQ(single("12,5"), 12.5f);
    EXPECT_FLOAT_EQ(single("  -3.25 "), -3.25f);
    EXPECT_FLOAT_EQ(single("+7"), 7.0f);
    EXPECT_FLOAT_EQ(single(".5"), 0.5f);
    // Single precision, as the value is kept.
    EXPECT_EQ(single("0.1"), 0.1f);
}

TEST(FieldReader, IntegersGoToTheNearestHalvesToEven) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {{"2.5", 2}, {"3.5", 4},    {"-2.5", -2},  {"-0.5", 0},  {"0,5", 0},
                 {"1.5", 2}, {"2.4999", 2}, {"2.5001", 3}, {"768", 768}, {" 1024 ", 1024}};
    for (const auto& c : cases) {
        EXPECT_EQ(int16(c.text), c.expected) << c.text;
        EXPECT_EQ(int32(c.text), c.expected) << c.text;
    }
}

TEST(FieldReader, RangeEdgesOfBothIntegerSizes) {
    EXPECT_EQ(int16("32767"), 32767);
    EXPECT_EQ(int16("32767.4"), 32767);
    EXPECT_EQ(int16("-32768"), -32768);
    EXPECT_EQ(int16("-32768.5"), -32768); // half to even stays in range
    EXPECT_THROW(int16("32767.5"), CommandFailure);
    EXPECT_THROW(int16("32768"), CommandFailure);
    EXPECT_THROW(int16("-32769"), CommandFailure);

    EXPECT_EQ(int32("2147483647"), 2147483647);
    EXPECT_EQ(int32("-2147483648"), -2147483647 - 1);
    EXPECT_THROW(int32("2147483648"), CommandFailure);
    EXPECT_THROW(int32("-2147483649"), CommandFailure);
}

TEST(FieldReader, TextThatIsNotANumberFailsTheCommand) {
    for (const char* text : {"", " ", "Text3", "12a", "1.2.3", "1,2.3", "--1", "+", ".", "1e3", "0x10", "1 2",
                             "inf", "nan", "١٢"}) {
        EXPECT_THROW(single(QString::fromUtf8(text)), CommandFailure) << text;
        EXPECT_THROW(int16(QString::fromUtf8(text)), CommandFailure) << text;
        EXPECT_THROW(int32(QString::fromUtf8(text)), CommandFailure) << text;
    }
    // Too large for single precision is not a number either, rather than infinity.
    EXPECT_THROW(single("1" + QString(40, '0')), CommandFailure);
}

} // namespace
} // namespace tesmaro
