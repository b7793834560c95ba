#pragma once
// A canvas (picMain of the picture windows, the draft pad, the swatches) as the document holds it:
// a persistent raster that keeps everything drawn on it, a background picture, an AutoSize flag
// and the drawing state (colours, line width, font, text position). No widget: views draw it
// (windows/CanvasWidget.h) and redraw when it announces a change.
//
// Colours are packed (R + 256*G + 65536*B). Coordinates are canvas pixels; fractional values
// are taken to the nearest integer, halves to even. Drawing is aliased and pixel-exact.

#include "core/PictureLimits.h"
#include "core/Raster.h"
#include "core/Stretch.h"

#include <QFont>
#include <QImage>
#include <QObject>

#include <cstdint>
#include <functional>
#include <optional>

namespace tesmaro {

class Canvas;

// Told before a canvas's raster changes, so that an undo history can keep what is about to go.
// Both calls come before the change, on the canvas's thread.
class CanvasWatcher {
public:
    virtual ~CanvasWatcher() = default;
    // The pixels inside rect (raster pixels, inside the raster, not empty) are about to be drawn
    // over in place.
    virtual void beforeDraw(Canvas& canvas, const QRect& rect) = 0;
    // The raster as a whole is about to be replaced, repainted or resized, or the canvas to go.
    virtual void beforeRepaint(Canvas& canvas) = 0;
};

// Everything that makes up what a canvas shows, held by reference (implicitly shared pictures).
struct CanvasPixels {
    QImage raster;  // null while a side is 0
    QImage picture; // the background picture
    int width = 0;
    int height = 0;
    bool autoSize = true;
};

class Canvas : public QObject {
    Q_OBJECT
public:
    Canvas(int width, int height, std::int32_t backColour, QObject* parent = nullptr);
    ~Canvas() override;

    // The watcher told of every change to the raster (null: none).
    void setWatcher(CanvasWatcher* watcher) { m_watcher = watcher; }
    CanvasWatcher* watcher() const { return m_watcher; }

    // Raster, picture, size and AutoSize, taken and put back as a whole (undo and redo); putting
    // back tells no watcher.
    CanvasPixels pixels() const;
    void restorePixels(const CanvasPixels& pixels);
    // Exchanges the raster's pixels inside rect with those of patch (rect's size, Format_RGB32);
    // the part of rect outside the raster is left alone. Tells no watcher.
    void swapPixels(const QRect& rect, QImage& patch);
    // Rewrites every pixel from what the raster held: kernel(from, to) must write every pixel of
    // to, and must work both when from and to are the same raster (in place) and when they are
    // two. When the raster is shared (with a picture or an undo record) it writes into a fresh
    // raster, so nothing is copied first.
    void rewrite(const std::function<void(const ConstRasterView& from, const RasterView& to)>& kernel);

    // Image: the background picture plus everything drawn, at the canvas size (Format_RGB32);
    // a null image while the canvas is 0 wide or high.
    const QImage& image() const { return m_raster; }
    // Writable view of the raster for pixel kernels that draw on it; call refresh() afterwards.
    RasterView view();
    // For a kernel that writes every pixel: the canvas becomes width x height without a picture,
    // and the view's pixels are undefined until the kernel has written them all; what the raster
    // held is not copied (an undo step may hold it). An empty view, nothing changed, for a size
    // the canvas refuses or a side of 0.
    RasterView overwriteView(int width, int height);
    ConstRasterView constView() const;

    // Picture: the background picture. Assigning one drops all drawings: with AutoSize the
    // canvas takes the picture's size, otherwise the picture sits unscaled at the top-left,
    // clipped, the back colour beyond it. A null image is the empty picture (size kept).
    // Returns false, changing nothing, when the size cannot be had.
    bool setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }
    void clearPicture() { setPicture(QImage()); }

    // Cls: the raster becomes the back colour with the background picture on it; drawings go.
    void cls();
    void refresh();

    int canvasWidth() const { return m_width; }
    int canvasHeight() const { return m_height; }
    // Width/Height set: the raster keeps its content at the top-left, new area in back colour.
    // Returns false, changing nothing, for a negative size, a side above kMaxPictureSide, or no memory.
    bool setCanvasSize(int width, int height);
    bool setCanvasWidth(int width) { return setCanvasSize(width, canvasHeight()); }
    bool setCanvasHeight(int height) { return setCanvasSize(canvasWidth(), height); }

    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on) { m_autoSize = on; }
    std::int32_t backColour() const { return m_backColour; }
    void setBackColour(std::int32_t colour); // repaints the raster, as Cls does
    std::int32_t foreColour() const { return m_foreColour; }
    void setForeColour(std::int32_t colour) { m_foreColour = colour; }
    int drawWidth() const { return m_drawWidth; }
    void setDrawWidth(int width) { m_drawWidth = width < 1 ? 1 : width; }
    // The label font, as print() draws with it: aliased, at whole-pixel glyph positions. Until one
    // is set, the application's font (a QGuiApplication must exist by the time it is read).
    const QFont& drawFont() const;
    void setDrawFont(const QFont& font);
    double currentX() const { return m_currentX; }
    double currentY() const { return m_currentY; }
    void setCurrentPos(double x, double y) {
        m_currentX = x;
        m_currentY = y;
    }

    // Point: packed colour of a pixel, -1 outside the canvas.
    std::int32_t point(double x, double y) const;
    // PSet: a round dot of the line width; nothing outside the canvas.
    void pset(double x, double y, std::int32_t colour);
    // SetPixel: exactly one pixel whatever the line width; nothing outside the canvas.
    void setPixel(int x, int y, std::int32_t colour);
    // Line: both end points drawn, round pen of the line width. Moves the current position.
    void line(double x1, double y1, double x2, double y2, std::int32_t colour);
    // Line in box form: axis-aligned box with two opposite corners, drawn with the line width;
    // filled or outlined.
    void box(double x1, double y1, double x2, double y2, std::int32_t colour, bool filled);
    // Circle: an outline of the given radius in the line width; the interior is untouched.
    void circle(double cx, double cy, double radius, std::int32_t colour);
    // Print: the text's top-left at the current position, in the canvas font and the drawing
    // colour, without background; the current position moves to the next line.
    void print(const QString& text);
    // PaintPicture / StretchBlt onto this canvas (see core/Stretch.h).
    void paintPicture(const ConstRasterView& source, const RectF& sourceRect, const RectF& destRect,
                      std::int32_t rasterCode);

signals:
    // What the canvas shows or its size changed (drawing, a new picture, Cls, Refresh, undo).
    void changed();

private:
    bool reallocate(int width, int height, bool keepContent);
    void drawBackground();
    // Tells the watcher that the pixels in rect (clipped to the raster) are about to change;
    // false when none of them lies inside the raster.
    bool aboutToDraw(const QRect& rect);
    void aboutToRepaint();

    QImage m_raster; // null while a side is 0
    QImage m_picture;
    int m_width = 0;
    int m_height = 0;
    bool m_autoSize = true;
    std::int32_t m_backColour = 0xFFFFFF;
    std::int32_t m_foreColour = 0;
    int m_drawWidth = 1;
    mutable std::optional<QFont> m_font;
    double m_currentX = 0;
    double m_currentY = 0;
    CanvasWatcher* m_watcher = nullptr;
};

} // namespace tesmaro
