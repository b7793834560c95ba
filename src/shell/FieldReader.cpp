#include "shell/FieldReader.h"

#include "document/FieldTexts.h"

#include <QLineEdit>

namespace tesmaro {

Checked<float> FieldReader::single(const QLineEdit* field) {
    return fieldTexts::single(field->text());
}

Checked<std::int16_t> FieldReader::int16(const QLineEdit* field) {
    return fieldTexts::int16(field->text());
}

Checked<std::int32_t> FieldReader::int32(const QLineEdit* field) {
    return fieldTexts::int32(field->text());
}

Checked<QSize> FieldReader::size(const QLineEdit* heightField, const QLineEdit* widthField) {
    return fieldTexts::size(heightField->text(), widthField->text());
}

} // namespace tesmaro
