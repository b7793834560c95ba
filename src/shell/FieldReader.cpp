#include "shell/FieldReader.h"

#include "core/FieldNumber.h"
#include "shell/CommandFailure.h"

namespace tesmaro {

namespace {
template <typename T>
T orFail(const std::optional<T>& v) {
    if (!v)
        throw CommandFailure("field is not a number");
    return *v;
}
} // namespace

float FieldReader::single(const QLineEdit* field) { return orFail(fieldToSingle(field->text().toStdString())); }

std::int16_t FieldReader::int16(const QLineEdit* field) { return orFail(fieldToInt16(field->text().toStdString())); }

std::int32_t FieldReader::int32(const QLineEdit* field) { return orFail(fieldToInt32(field->text().toStdString())); }

} // namespace tesmaro
