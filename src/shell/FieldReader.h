#pragma once
// Reads the panel's numeric fields into checked values, as document/FieldTexts.h converts any
// typed number.

#include "document/Checked.h"

#include <QSize>

#include <cstdint>

class QLineEdit;

namespace tesmaro {

struct FieldReader {
    // A number (core/FieldNumber.h) as a single-precision float.
    static Checked<float> single(const QLineEdit* field);
    // A number taken to the nearest integer, halves to even, within the type's range.
    static Checked<std::int16_t> int16(const QLineEdit* field);
    static Checked<std::int32_t> int32(const QLineEdit* field);
    // A size from a height field and a width field: each a number taken to the nearest whole
    // pixel (halves to even), 0..kMaxPictureSide, so nothing is sized with a size that cannot be
    // had.
    static Checked<QSize> size(const QLineEdit* heightField, const QLineEdit* widthField);
};

} // namespace tesmaro
