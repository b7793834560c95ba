#include "shell/FieldReader.h"

#include "core/FieldNumber.h"
#include "core/PictureLimits.h"

#include <QLineEdit>

namespace tesmaro {
namespace {

template <typename T> Checked<T> checked(const std::optional<T>& v) {
    if (!v)
        return Checked<T>::failed("field is not a number");
    return *v;
}

std::optional<int> side(const QLineEdit* field) {
    const std::optional<float> value = fieldToSingle(field->text().toStdString());
    if (!value)
        return std::nullopt;
    const double pixels = roundHalfEven(*value);
    if (!(pixels >= 0 && pixels <= kMaxPictureSide))
        return std::nullopt;
    return static_cast<int>(pixels);
}

} // namespace

Checked<float> FieldReader::single(const QLineEdit* field) {
    return checked(fieldToSingle(field->text().toStdString()));
}

Checked<std::int16_t> FieldReader::int16(const QLineEdit* field) {
    return checked(fieldToInt16(field->text().toStdString()));
}

Checked<std::int32_t> FieldReader::int32(const QLineEdit* field) {
    return checked(fieldToInt32(field->text().toStdString()));
}

Checked<QSize> FieldReader::size(const QLineEdit* heightField, const QLineEdit* widthField) {
    const std::optional<int> height = side(heightField);
    const std::optional<int> width = side(widthField);
    if (!height || !width)
        return Checked<QSize>::failed("size refused");
    return QSize(*width, *height);
}

} // namespace tesmaro
