#include "windows/Canvas.h"

#include "core/Draw.h"
#include "core/FieldNumber.h"
#include "core/PackedColour.h"
#include "windows/AccessibleSurfaces.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

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

int vbButton(Qt::MouseButton b) {
    switch (b) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int vbButtons(Qt::MouseButtons b) {
    return (b & Qt::LeftButton ? 1 : 0) | (b & Qt::RightButton ? 2 : 0) | (b & Qt::MiddleButton ? 4 : 0);
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

} // namespace

Canvas::Canvas(QWidget* parent, int width, int height, std::int32_t backColour)
    : QWidget(parent), m_backColour(backColour) {
    setObjectName("picMain");
    installAccessibleSurfaces();
    setAttribute(Qt::WA_OpaquePaintEvent);
    setDrawFont(QFont());
    reallocate(width, height, false);
}

RasterView Canvas::view() {
    if (m_raster.isNull())
        return {};
    return RasterView{reinterpret_cast<std::uint32_t*>(m_raster.bits()), m_raster.width(), m_raster.height(),
                      static_cast<int>(m_raster.bytesPerLine() / 4)};
}

ConstRasterView Canvas::constView() const {
    if (m_raster.isNull())
        return {};
    return ConstRasterView{reinterpret_cast<const std::uint32_t*>(m_raster.constBits()), m_raster.width(),
                           m_raster.height(), static_cast<int>(m_raster.bytesPerLine() / 4)};
}

bool Canvas::reallocate(int width, int height, bool keepContent) {
    if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide)
        return false;
    QImage next;
    if (width > 0 && height > 0) {
        next = QImage(width, height, QImage::Format_RGB32);
        if (next.isNull())
            return false; // out of memory
        placeTopLeft(next, keepContent ? m_raster : QImage(), pixelFromPacked(m_backColour));
    }
    m_raster = next;
    // Kept apart from the raster, which is null while either side is 0: a canvas 0 wide keeps
    // its height for when it gets a width again.
    m_width = width;
    m_height = height;
    resize(width, height);
    update();
    return true;
}

void Canvas::drawBackground() {
    if (m_raster.isNull())
        return;
    if (m_picture.size() == m_raster.size()) {
        m_raster = m_picture; // shared until the first drawing detaches it
        return;
    }
    if (!m_raster.isDetached()) {
        // Shared with a picture: a fresh raster, not a copy about to be overwritten.
        QImage fresh(m_raster.size(), QImage::Format_RGB32);
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
        if (pic.width() > kMaxSide || pic.height() > kMaxSide)
            return false;
        // The picture covers the whole raster: the raster is the picture itself, no pass over it.
        m_width = pic.width();
        m_height = pic.height();
        m_picture = pic;
        m_raster = pic;
        resize(m_width, m_height);
        update();
        return true;
    }
    m_picture = pic;
    drawBackground();
    update();
    return true;
}

void Canvas::cls() {
    drawBackground();
    update();
}

void Canvas::refresh() {
    update();
}

bool Canvas::setCanvasSize(int width, int height) {
    if (width == m_width && height == m_height)
        return true;
    return reallocate(width, height, true);
}

void Canvas::setBackColour(std::int32_t colour) {
    m_backColour = colour;
    drawBackground();
    update();
}

std::int32_t Canvas::point(double x, double y) const {
    const int ix = toInt(x), iy = toInt(y);
    if (m_raster.isNull() || ix < 0 || iy < 0 || ix >= m_raster.width() || iy >= m_raster.height())
        return kNoColour;
    return packedFromPixel(reinterpret_cast<const std::uint32_t*>(m_raster.constScanLine(iy))[ix]);
}

void Canvas::pset(double x, double y, std::int32_t colour) {
    drawDot(view(), toInt(x), toInt(y), m_drawWidth, pixelFromPacked(colour));
    update();
}

void Canvas::setPixel(int x, int y, std::int32_t colour) {
    plotPixel(view(), x, y, pixelFromPacked(colour));
    update();
}

void Canvas::line(double x1, double y1, double x2, double y2, std::int32_t colour) {
    drawLine(view(), toInt(x1), toInt(y1), toInt(x2), toInt(y2), m_drawWidth, pixelFromPacked(colour));
    m_currentX = x2;
    m_currentY = y2;
    update();
}

void Canvas::box(double x1, double y1, double x2, double y2, std::int32_t colour, bool filled) {
    drawBox(view(), toInt(x1), toInt(y1), toInt(x2), toInt(y2), m_drawWidth, filled, pixelFromPacked(colour));
    m_currentX = x2;
    m_currentY = y2;
    update();
}

void Canvas::circle(double cx, double cy, double radius, std::int32_t colour) {
    drawCircle(view(), toInt(cx), toInt(cy), radius, m_drawWidth, pixelFromPacked(colour));
    m_currentX = cx;
    m_currentY = cy;
    update();
}

void Canvas::setDrawFont(const QFont& font) {
    m_font = font;
    // Aliased glyphs at whole-pixel positions, as on a classic canvas, whatever font is picked.
    m_font.setStyleStrategy(QFont::NoAntialias);
    m_font.setHintingPreference(QFont::PreferFullHinting);
}

void Canvas::print(const QString& text) {
    if (m_raster.isNull())
        return;
    const QFont& font = m_font;
    QPainter p(&m_raster);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, false);
    p.setFont(font);
    p.setPen(QColor::fromRgb(pixelFromPacked(m_foreColour)));
    const QFontMetrics fm(font);
    p.drawText(QPointF(toInt(m_currentX), toInt(m_currentY) + fm.ascent()), text);
    p.end();
    m_currentX = 0;
    m_currentY += fm.height();
    update();
}

void Canvas::paintPicture(const ConstRasterView& source, const RectF& sourceRect, const RectF& destRect,
                          std::int32_t rasterCode) {
    stretchBlit(view(), destRect, source, sourceRect, rasterCode);
    update();
}

void Canvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (!m_raster.isNull())
        p.drawImage(0, 0, m_raster);
}

// On a scaled screen the pointer moves in fractions of a canvas pixel; it is on the pixel it lies
// in (10.5 is on pixel 10). Qt hands a widget inside a window its position rounded to whole
// pixels (10.5 becomes 11) but keeps the exact one relative to the window; widgets sit at whole
// pixels of it. An event whose window position is not the same point (one made up by a program)
// is taken at its own position.
QPointF Canvas::pointerPixel(const QMouseEvent& event) const {
    QPointF at = event.position();
    const QPointF exact = event.scenePosition() - QPointF(mapTo(window(), QPoint(0, 0)));
    if (std::abs(exact.x() - at.x()) <= 0.5 && std::abs(exact.y() - at.y()) <= 0.5)
        at = exact;
    return QPointF(std::floor(at.x()), std::floor(at.y()));
}

void Canvas::mousePressEvent(QMouseEvent* event) {
    const QPointF at = pointerPixel(*event);
    emit mouseDown(vbButton(event->button()), at.x(), at.y());
}

void Canvas::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = pointerPixel(*event);
    emit mouseMove(vbButtons(event->buttons()), at.x(), at.y());
}

void Canvas::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF at = pointerPixel(*event);
    emit mouseUp(vbButton(event->button()), at.x(), at.y());
}

} // namespace tesmaro
