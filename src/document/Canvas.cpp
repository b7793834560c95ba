#include "document/Canvas.h"

#include "core/Draw.h"
#include "core/FieldNumber.h"
#include "core/PackedColour.h"
#include "pictures/RasterImage.h"

#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <new>

namespace tesmaro {
namespace {

int toInt(double v) {
    if (std::isnan(v))
        return 0;
    const double r = roundHalfEven(v);
    // Far-off coordinates only need to stay far off; keep them inside int range.
    constexpr double kFar = 1 << 30;
    return static_cast<int>(r < -kFar ? -kFar : (r > kFar ? kFar : r));
}

// One pass over `to` (Format_RGB32, not shared): each row starts with the same row of `from`,
// clipped, and is `back` beyond it; rows below `from` (or all, for a null `from`) are `back`.
void placeTopLeft(QImage& to, const QImage& from, std::uint32_t back) {
    const int width = to.width(), height = to.height();
    const int fromWidth = from.isNull() ? 0 : std::min(width, from.width());
    const int fromHeight = from.isNull() ? 0 : std::min(height, from.height());
    std::uint8_t* bits = to.bits();
    const qsizetype stride = to.bytesPerLine();
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(bits + y * stride);
        int x = 0;
        if (y < fromHeight) {
            std::copy_n(reinterpret_cast<const std::uint32_t*>(from.constScanLine(y)), fromWidth, row);
            x = fromWidth;
        }
        std::fill(row + x, row + width, back);
    }
}

// A rectangle that holds every pixel a pen of the given width can reach drawing a path through
// the two points (the pen reaches width / 2 beyond a point; one more for rounding).
QRect penReach(int x1, int y1, int x2, int y2, int width) {
    const long long m = std::max(width, 1) + 1;
    auto clampInt = [](long long v) {
        return static_cast<int>(std::clamp<long long>(v, INT_MIN / 2, INT_MAX / 2));
    };
    return QRect(
        QPoint(clampInt(std::min<long long>(x1, x2) - m), clampInt(std::min<long long>(y1, y2) - m)),
        QPoint(clampInt(std::max<long long>(x1, x2) + m), clampInt(std::max<long long>(y1, y2) + m)));
}

} // namespace

Canvas::Canvas(int width, int height, std::int32_t backColour, QObject* parent)
    : QObject(parent), m_backColour(backColour) {
    reallocate(width, height, false);
}

Canvas::~Canvas() {
    aboutToRepaint();
}

bool Canvas::aboutToDraw(const QRect& rect) {
    const QRect inside = rect.intersected(QRect(0, 0, m_raster.width(), m_raster.height()));
    if (m_raster.isNull() || inside.isEmpty())
        return false;
    if (m_watcher)
        m_watcher->beforeDraw(*this, inside);
    return true;
}

void Canvas::aboutToRepaint() {
    if (m_watcher)
        m_watcher->beforeRepaint(*this);
}

RasterView Canvas::view() {
    if (!aboutToDraw(m_raster.rect()))
        return {};
    return rasterOf(m_raster);
}

RasterView Canvas::overwriteView(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return {};
    aboutToRepaint();
    if (m_raster.size() != QSize(width, height) || !m_raster.isDetached()) {
        QImage fresh = newRaster(width, height);
        if (fresh.isNull())
            return {};
        m_raster = fresh;
    }
    m_picture = QImage();
    m_width = width;
    m_height = height;
    emit changed();
    return rasterOf(m_raster);
}

ConstRasterView Canvas::constView() const {
    return constRasterOf(m_raster);
}

CanvasPixels Canvas::pixels() const {
    return CanvasPixels{m_raster, m_picture, m_width, m_height, m_autoSize};
}

void Canvas::restorePixels(const CanvasPixels& pixels) {
    m_raster = pixels.raster;
    m_picture = pixels.picture;
    m_width = pixels.width;
    m_height = pixels.height;
    m_autoSize = pixels.autoSize;
    emit changed();
}

void Canvas::swapPixels(const QRect& rect, QImage& patch) {
    const QRect inside = rect.intersected(m_raster.rect());
    if (inside.isEmpty() || patch.format() != QImage::Format_RGB32 || patch.size() != rect.size())
        return;
    const RasterView to = rasterOf(m_raster);
    const RasterView other = rasterOf(patch);
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        std::swap_ranges(to.row(y) + inside.left(), to.row(y) + inside.right() + 1,
                         other.row(y - rect.top()) + (inside.left() - rect.left()));
    emit changed();
}

void Canvas::rewrite(const std::function<void(const ConstRasterView& from, const RasterView& to)>& kernel) {
    if (m_raster.isNull())
        return;
    if (m_raster.isDetached()) {
        aboutToDraw(m_raster.rect());
        const RasterView rows = rasterOf(m_raster);
        kernel(rows, rows);
    } else {
        QImage fresh = newRaster(m_raster.width(), m_raster.height());
        if (fresh.isNull())
            throw std::bad_alloc();
        aboutToRepaint();
        kernel(constRasterOf(m_raster), rasterOf(fresh));
        m_raster = fresh;
    }
    emit changed();
}

bool Canvas::reallocate(int width, int height, bool keepContent) {
    if (width < 0 || height < 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return false;
    QImage next;
    if (width > 0 && height > 0) {
        next = newRaster(width, height);
        if (next.isNull())
            return false; // out of memory
        placeTopLeft(next, keepContent ? m_raster : QImage(), pixelFromPacked(m_backColour));
    }
    aboutToRepaint();
    m_raster = next;
    // Kept apart from the raster, which is null while either side is 0: a canvas 0 wide keeps
    // its height for when it gets a width again.
    m_width = width;
    m_height = height;
    emit changed();
    return true;
}

void Canvas::drawBackground() {
    if (m_raster.isNull())
        return;
    aboutToRepaint();
    if (m_picture.size() == m_raster.size()) {
        m_raster = m_picture; // shared until the first drawing detaches it
        return;
    }
    if (!m_raster.isDetached()) {
        // Shared with a picture: a fresh raster, not a copy about to be overwritten.
        QImage fresh = newRaster(m_raster.width(), m_raster.height());
        if (fresh.isNull())
            return; // out of memory: the raster keeps what it showed
        m_raster = fresh;
    }
    placeTopLeft(m_raster, m_picture, pixelFromPacked(m_backColour));
}

bool Canvas::setPicture(const QImage& picture) {
    QImage pic;
    if (!picture.isNull()) {
        pic = picture.convertToFormat(QImage::Format_RGB32);
        if (pic.isNull())
            return false;
        // One picture pixel per canvas pixel, whatever ratio the picture came with.
        pic.setDevicePixelRatio(1);
    }
    if (m_autoSize && !pic.isNull()) {
        if (pic.width() > kMaxPictureSide || pic.height() > kMaxPictureSide)
            return false;
        // The picture covers the whole raster: the raster is the picture itself, no pass over it.
        aboutToRepaint();
        m_width = pic.width();
        m_height = pic.height();
        m_picture = pic;
        m_raster = pic;
        emit changed();
        return true;
    }
    m_picture = pic;
    drawBackground();
    emit changed();
    return true;
}

void Canvas::cls() {
    drawBackground();
    emit changed();
}

void Canvas::refresh() {
    emit changed();
}

bool Canvas::setCanvasSize(int width, int height) {
    if (width == m_width && height == m_height)
        return true;
    return reallocate(width, height, true);
}

void Canvas::setBackColour(std::int32_t colour) {
    m_backColour = colour;
    drawBackground();
    emit changed();
}

std::int32_t Canvas::point(double x, double y) const {
    const int ix = toInt(x), iy = toInt(y);
    if (m_raster.isNull() || ix < 0 || iy < 0 || ix >= m_raster.width() || iy >= m_raster.height())
        return kNoColour;
    return packedFromPixel(reinterpret_cast<const std::uint32_t*>(m_raster.constScanLine(iy))[ix]);
}

void Canvas::pset(double x, double y, std::int32_t colour) {
    const int ix = toInt(x), iy = toInt(y);
    if (aboutToDraw(penReach(ix, iy, ix, iy, m_drawWidth)))
        drawDot(rasterOf(m_raster), ix, iy, m_drawWidth, pixelFromPacked(colour));
    emit changed();
}

void Canvas::setPixel(int x, int y, std::int32_t colour) {
    if (aboutToDraw(QRect(x, y, 1, 1)))
        plotPixel(rasterOf(m_raster), x, y, pixelFromPacked(colour));
    emit changed();
}

void Canvas::line(double x1, double y1, double x2, double y2, std::int32_t colour) {
    const int ix1 = toInt(x1), iy1 = toInt(y1), ix2 = toInt(x2), iy2 = toInt(y2);
    if (aboutToDraw(penReach(ix1, iy1, ix2, iy2, m_drawWidth)))
        drawLine(rasterOf(m_raster), ix1, iy1, ix2, iy2, m_drawWidth, pixelFromPacked(colour));
    m_currentX = x2;
    m_currentY = y2;
    emit changed();
}

void Canvas::box(double x1, double y1, double x2, double y2, std::int32_t colour, bool filled) {
    const int ix1 = toInt(x1), iy1 = toInt(y1), ix2 = toInt(x2), iy2 = toInt(y2);
    if (aboutToDraw(penReach(ix1, iy1, ix2, iy2, m_drawWidth)))
        drawBox(rasterOf(m_raster), ix1, iy1, ix2, iy2, m_drawWidth, filled, pixelFromPacked(colour));
    m_currentX = x2;
    m_currentY = y2;
    emit changed();
}

void Canvas::circle(double cx, double cy, double radius, std::int32_t colour) {
    const int ix = toInt(cx), iy = toInt(cy);
    // The outline lies within the radius (taken whole, rounded up) plus the pen.
    // Clamped below the far-off coordinates (2^30), so that centre plus reach stays an int.
    const double reach = std::min(std::ceil(std::abs(std::isnan(radius) ? 0.0 : radius)), double(1 << 29));
    const int r = static_cast<int>(reach);
    if (aboutToDraw(penReach(ix - r, iy - r, ix + r, iy + r, m_drawWidth)))
        drawCircle(rasterOf(m_raster), ix, iy, radius, m_drawWidth, pixelFromPacked(colour));
    m_currentX = cx;
    m_currentY = cy;
    emit changed();
}

const QFont& Canvas::drawFont() const {
    if (!m_font)
        const_cast<Canvas*>(this)->setDrawFont(QGuiApplication::font());
    return *m_font;
}

void Canvas::setDrawFont(const QFont& font) {
    m_font = font;
    // Aliased glyphs at whole-pixel positions, as on a classic canvas, whatever font is picked.
    m_font->setStyleStrategy(QFont::NoAntialias);
    m_font->setHintingPreference(QFont::PreferFullHinting);
}

void Canvas::print(const QString& text) {
    if (m_raster.isNull())
        return;
    const QFont& font = drawFont();
    const QFontMetrics fm(font);
    const int x = toInt(m_currentX), y = toInt(m_currentY);
    // Glyphs may overhang their advance (italics) and reach a little past the line's height.
    const QRect reach = fm.boundingRect(text).translated(x, y + fm.ascent());
    if (!aboutToDraw(reach.adjusted(-fm.height() - 2, -fm.height() - 2, fm.height() + 2, fm.height() + 2))) {
        m_currentX = 0;
        m_currentY += fm.height();
        return;
    }
    QPainter p(&m_raster);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font);
    p.setPen(QColor::fromRgb(pixelFromPacked(m_foreColour)));
    p.drawText(QPointF(x, y + fm.ascent()), text);
    p.end();
    m_currentX = 0;
    m_currentY += fm.height();
    emit changed();
}

void Canvas::paintPicture(const ConstRasterView& source, const RectF& sourceRect, const RectF& destRect,
                          std::int32_t rasterCode) {
    if (destRect.w > 0 && destRect.h > 0 && sourceRect.w > 0 && sourceRect.h > 0) {
        // Whole pixels the stretch can reach, a pixel wider for its rounding.
        auto edge = [](double v) { return std::clamp(v, -double(1 << 30), double(1 << 30)); };
        const QRect reach(
            QPoint(int(std::floor(edge(destRect.x))) - 1, int(std::floor(edge(destRect.y))) - 1),
            QPoint(int(std::ceil(edge(destRect.x + destRect.w))) + 1,
                   int(std::ceil(edge(destRect.y + destRect.h))) + 1));
        if (aboutToDraw(reach))
            stretchBlit(rasterOf(m_raster), destRect, source, sourceRect, rasterCode);
    }
    emit changed();
}

} // namespace tesmaro
