#include "windows/Zoom.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

namespace tesmaro::zoom {
namespace {

struct Step {
    Scale scale;
    const char* text;
};

constexpr std::array<Step, kStepCount> kSteps{{
    {{1, 16}, "6.25"},
    {{1, 8}, "12.5"},
    {{1, 4}, "25"},
    {{1, 3}, "33.3"},
    {{1, 2}, "50"},
    {{2, 3}, "66.7"},
    {{1, 1}, "100"},
    {{3, 2}, "150"},
    {{2, 1}, "200"},
    {{3, 1}, "300"},
    {{4, 1}, "400"},
    {{6, 1}, "600"},
    {{8, 1}, "800"},
    {{12, 1}, "1200"},
    {{16, 1}, "1600"},
    {{24, 1}, "2400"},
    {{32, 1}, "3200"},
}};

constexpr double kFar = 1 << 30; // far-off coordinates only need to stay far off

int clampStep(int step) {
    return std::clamp(step, 0, kStepCount - 1);
}

Scale usable(Scale scale) {
    return isValid(scale) ? scale : Scale{};
}

int toInt(long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// floor(v * den / num) for every finite v: the quotient is estimated, then its floor checked
// against the exact product (a fused multiply-add rounds once, so its sign is the exact sign).
long long floorRatio(double v, int den, int num) {
    v = std::isnan(v) ? 0.0 : std::clamp(v, -kFar, kFar);
    double q = std::floor(v * den / num);
    if (std::fma(v, den, -q * num) < 0)
        q -= 1;
    else if (std::fma(v, den, -(q + 1) * num) >= 0)
        q += 1;
    return static_cast<long long>(q);
}

long long floorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

long long ceilDiv(long long a, long long b) {
    return -floorDiv(-a, b);
}

} // namespace

bool isValid(Scale scale) {
    return scale.num >= 1 && scale.den >= 1 && scale.num <= kMaxScaleTerm && scale.den <= kMaxScaleTerm;
}

Scale stepScale(int step) {
    return kSteps[clampStep(step)].scale;
}

int stepIn(int step) {
    return clampStep(clampStep(step) + 1);
}

int stepOut(int step) {
    return clampStep(clampStep(step) - 1);
}

double stepPercent(int step) {
    const Scale s = stepScale(step);
    return 100.0 * s.num / s.den;
}

std::string stepText(int step) {
    return kSteps[clampStep(step)].text;
}

double pictureCoordinate(double view, int scroll, Scale scale) {
    scale = usable(scale);
    return scroll + view * scale.den / scale.num;
}

int picturePixel(double view, int scroll, Scale scale) {
    scale = usable(scale);
    return toInt(scroll + floorRatio(view, scale.den, scale.num));
}

double viewCoordinate(double picture, int scroll, Scale scale) {
    scale = usable(scale);
    return (picture - scroll) * scale.num / scale.den;
}

int visiblePixels(int viewLength, Scale scale) {
    scale = usable(scale);
    if (viewLength <= 0)
        return 0;
    return toInt(std::max(1LL, static_cast<long long>(viewLength) * scale.den / scale.num));
}

int maxScroll(int pictureLength, int viewLength, Scale scale) {
    return std::max(0, pictureLength - visiblePixels(viewLength, scale));
}

int clampScroll(int scroll, int pictureLength, int viewLength, Scale scale) {
    return std::clamp(scroll, 0, maxScroll(pictureLength, viewLength, scale));
}

int scrollAfterZoom(double anchor, int scroll, Scale from, Scale to, int pictureLength, int viewLength) {
    to = usable(to);
    // The one whole scroll position whose pixel under the anchor is the one there now.
    const long long kept = picturePixel(anchor, scroll, from) - floorRatio(anchor, to.den, to.num);
    return clampScroll(toInt(kept), pictureLength, viewLength, to);
}

QPoint picturePixel(QPointF view, QPoint scroll, Scale scale) {
    return {picturePixel(view.x(), scroll.x(), scale), picturePixel(view.y(), scroll.y(), scale)};
}

QPointF viewPoint(QPointF picture, QPoint scroll, Scale scale) {
    return {viewCoordinate(picture.x(), scroll.x(), scale), viewCoordinate(picture.y(), scroll.y(), scale)};
}

QSize visiblePixels(QSize view, Scale scale) {
    return {visiblePixels(view.width(), scale), visiblePixels(view.height(), scale)};
}

QPoint maxScroll(QSize picture, QSize view, Scale scale) {
    return {maxScroll(picture.width(), view.width(), scale),
            maxScroll(picture.height(), view.height(), scale)};
}

QPoint clampScroll(QPoint scroll, QSize picture, QSize view, Scale scale) {
    return {clampScroll(scroll.x(), picture.width(), view.width(), scale),
            clampScroll(scroll.y(), picture.height(), view.height(), scale)};
}

QPoint scrollAfterZoom(QPointF anchor, QPoint scroll, Scale from, Scale to, QSize picture, QSize view) {
    return {scrollAfterZoom(anchor.x(), scroll.x(), from, to, picture.width(), view.width()),
            scrollAfterZoom(anchor.y(), scroll.y(), from, to, picture.height(), view.height())};
}

QPointF viewCentre(QSize view) {
    return {view.width() / 2.0, view.height() / 2.0};
}

QRect viewRect(const QRect& picture, QPoint scroll, Scale scale) {
    if (picture.isEmpty())
        return {};
    scale = usable(scale);
    auto from = [&](long long p, int s) { return floorDiv((p - s) * scale.num, scale.den); };
    auto to = [&](long long p, int s) { return ceilDiv((p - s) * scale.num, scale.den); };
    const long long left = from(picture.left(), scroll.x()), top = from(picture.top(), scroll.y());
    const long long right = to(static_cast<long long>(picture.left()) + picture.width(), scroll.x());
    const long long bottom = to(static_cast<long long>(picture.top()) + picture.height(), scroll.y());
    return QRect(toInt(left), toInt(top), toInt(right - left), toInt(bottom - top));
}

} // namespace tesmaro::zoom
