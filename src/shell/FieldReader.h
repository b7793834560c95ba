#pragma once
// Reads the main window's numeric fields. Every command converts its fields through here,
// so every command fails the same way on bad input: CommandFailure, before it changes anything.

#include <QLineEdit>

#include <cstdint>

namespace tesmaro {

struct FieldReader {
    static float single(const QLineEdit* field);
    static std::int16_t int16(const QLineEdit* field);
    static std::int32_t int32(const QLineEdit* field);
};

} // namespace tesmaro
