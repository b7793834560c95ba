#include "document/FieldTexts.h"

#include "core/FieldNumber.h"
#include "core/PictureLimits.h"

namespace tesmaro::fieldTexts {
namespace {

template <typename T> Checked<T> checked(const std::optional<T>& v) {
    if (!v)
        return Checked<T>::failed("field is not a number");
    return *v;
}

std::optional<int> side(const QString& text) {
    const std::optional<float> value = fieldToSingle(text.toStdString());
    if (!value)
        return std::nullopt;
    const double pixels = roundHalfEven(*value);
    if (!(pixels >= 0 && pixels <= kMaxPictureSide))
        return std::nullopt;
    return static_cast<int>(pixels);
}

} // namespace

Checked<float> single(const QString& text) {
    return checked(fieldToSingle(text.toStdString()));
}

Checked<std::int16_t> int16(const QString& text) {
    return checked(fieldToInt16(text.toStdString()));
}

Checked<std::int32_t> int32(const QString& text) {
    return checked(fieldToInt32(text.toStdString()));
}

Checked<QSize> size(const QString& height, const QString& width) {
    const std::optional<int> h = side(height);
    const std::optional<int> w = side(width);
    if (!h || !w)
        return Checked<QSize>::failed("size refused");
    return QSize(*w, *h);
}

} // namespace tesmaro::fieldTexts
