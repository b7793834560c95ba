#pragma once
// The numbers a user types, as checked values: every command converts its fields through here,
// whether the text comes from the panel's fields or from the command line, so every command fails
// the same way on bad input (see document/Checked.h).

#include "document/Checked.h"

#include <QSize>
#include <QString>

#include <cstdint>

namespace tesmaro::fieldTexts {

// A number (core/FieldNumber.h) as a single-precision float.
Checked<float> single(const QString& text);
// A number taken to the nearest integer, halves to even, within the type's range.
Checked<std::int16_t> int16(const QString& text);
Checked<std::int32_t> int32(const QString& text);
// A size from a height text and a width text: each a number taken to the nearest whole pixel
// (halves to even), 0..kMaxPictureSide, so nothing is sized with a size that cannot be had.
Checked<QSize> size(const QString& height, const QString& width);

} // namespace tesmaro::fieldTexts
