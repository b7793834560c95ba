#pragma once
// Gestures on a canvas as the canvas reports them, and picture helpers for the editor's tests.

#include "document/Canvas.h"
#include "support/AppFixture.h"
#include "windows/CanvasWidget.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>

#include <cstdint>
#include <vector>

namespace tesmaro::testing {

constexpr int kLeftButton = 1;
constexpr int kRightButton = 2;
constexpr int kMiddleButton = 4;

// The text colour a text box shows (packed colour).
inline std::int32_t textColour(const QLineEdit& field) {
    const QRgb rgb = field.palette().color(QPalette::Text).rgb();
    return static_cast<std::int32_t>(qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb));
}

// The widget on the screen that shows the canvas.
inline CanvasWidget* shownBy(const Canvas* c) {
    for (QWidget* w : QApplication::allWidgets())
        if (auto* shown = qobject_cast<CanvasWidget*>(w); shown && shown->canvas() == c)
            return shown;
    ADD_FAILURE() << "no widget shows the canvas";
    return nullptr;
}

inline void press(CanvasWidget* c, int button, double x, double y) {
    emit c->mouseDown(button, x, y);
}
inline void moveTo(CanvasWidget* c, int buttons, double x, double y) {
    emit c->mouseMove(buttons, x, y);
}
inline void release(CanvasWidget* c, int button, double x, double y) {
    emit c->mouseUp(button, x, y);
}
inline void press(Canvas* c, int button, double x, double y) {
    press(shownBy(c), button, x, y);
}
inline void moveTo(Canvas* c, int buttons, double x, double y) {
    moveTo(shownBy(c), buttons, x, y);
}
inline void release(Canvas* c, int button, double x, double y) {
    release(shownBy(c), button, x, y);
}

// A picture of one colour (0xRRGGBB).
inline QImage uniform(int width, int height, QRgb rgb) {
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(rgb | 0xFF000000u);
    return img;
}

// A picture whose every pixel differs from its neighbours, so any misplaced pixel shows.
inline QImage pattern(int width, int height) {
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, qRgb((x * 7 + y * 3) & 0xFF, (x * 13) & 0xFF, (y * 11 + 40) & 0xFF));
    return img;
}

inline QRgb rgbAt(const QImage& img, int x, int y) {
    return img.pixel(x, y) & 0xFFFFFF;
}

// Packed colour (R + 256 G + 65536 B) of a 0xRRGGBB value.
inline std::int32_t packed(QRgb rgb) {
    return static_cast<std::int32_t>(qRed(rgb) + 256 * qGreen(rgb) + 65536 * qBlue(rgb));
}

struct Pixel {
    int x;
    int y;
};

// Every pixel that differs from background.
inline std::vector<Pixel> pixelsNot(const QImage& img, QRgb background) {
    std::vector<Pixel> out;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (rgbAt(img, x, y) != (background & 0xFFFFFF))
                out.push_back({x, y});
    return out;
}

// A clean canvas: the back colour all over, no background picture.
inline void wipe(Canvas* c) {
    c->clearPicture();
    c->cls();
}

} // namespace tesmaro::testing
