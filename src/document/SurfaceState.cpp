#include "document/SurfaceState.h"

#include "core/PackedColour.h"
#include "document/Document.h"
#include "windows/Windows.h"

#include <QScrollBar>

#include <algorithm>
#include <cstring>

namespace tesmaro {
namespace {

windows::Id windowOf(Surface surface) {
    return static_cast<windows::Id>(static_cast<int>(surface));
}

bool isImageWindow(Surface surface) {
    return surface == Surface::Image1 || surface == Surface::Image2;
}

PictureWindow* pictureWindow(windows::Id id) {
    switch (id) {
    case windows::Id::Picture1:
        return windows::frmPicture1();
    case windows::Id::Picture2:
        return windows::frmPicture2();
    case windows::Id::Temp:
        return windows::frmTemp();
    case windows::Id::MCopy1:
        return windows::frmMCopy1();
    default:
        return windows::frmMCopy2();
    }
}

ImageWindow* imageWindow(windows::Id id) {
    return id == windows::Id::Image1 ? windows::frmImage1() : windows::frmImage2();
}

ScrollState scrollOf(const QScrollBar* bar) {
    return {bar->minimum(), bar->maximum(), bar->value()};
}

void restoreScroll(QScrollBar* bar, const ScrollState& s) {
    bar->setRange(s.minimum, s.maximum);
    bar->setValue(s.value);
}

bool sameScroll(const ScrollState& a, const ScrollState& b) {
    return a.minimum == b.minimum && a.maximum == b.maximum && a.value == b.value;
}

bool allPixels(const QImage& raster, std::uint32_t pixel) {
    if (raster.format() != QImage::Format_RGB32)
        return false;
    for (int y = 0; y < raster.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(raster.constScanLine(y));
        if (!std::all_of(row, row + raster.width(), [pixel](std::uint32_t p) { return p == pixel; }))
            return false;
    }
    return true;
}

// Whether a present window shows what the window freshly created would.
bool isDesignState(Surface surface, const SurfaceState& s) {
    const windows::Id id = windowOf(surface);
    if (isImageWindow(surface)) {
        const ImageWindowDesign d = windows::imageDesign(id);
        return s.title == d.caption && s.view.picture.isNull() && !s.view.stretch &&
               s.view.size == QSize(d.viewWidth, d.viewHeight);
    }
    const PictureWindowDesign d = windows::pictureDesign(id);
    const ScrollState none;
    return s.title == d.caption && s.canvas.picture.isNull() && s.canvas.autoSize &&
           s.canvas.width == d.canvasWidth && s.canvas.height == d.canvasHeight &&
           sameScroll(s.vertical, none) && sameScroll(s.horizontal, none) &&
           allPixels(s.canvas.raster, pixelFromPacked(d.canvasBack));
}

} // namespace

Canvas* surfaceCanvas(const Document& document, Surface surface) {
    if (surface == Surface::DraftPad)
        return &document.pad();
    return windows::existingCanvas(windowOf(surface));
}

SurfaceState captureSurface(const Document& document, Surface surface) {
    SurfaceState s;
    if (surface == Surface::DraftPad) {
        const EditorSurfaces& e = document.surfaces();
        s.exists = true;
        s.canvas = e.pad->pixels();
        s.vertical = scrollOf(e.padVertical);
        s.horizontal = scrollOf(e.padHorizontal);
        return s;
    }
    const windows::Id id = windowOf(surface);
    if (!windows::exists(id))
        return s;
    s.exists = true;
    if (isImageWindow(surface)) {
        const ImageWindow* w = imageWindow(id);
        s.visible = w->isVisible();
        s.title = w->windowTitle();
        s.view = w->Image1->pixels();
        return s;
    }
    const PictureWindow* w = pictureWindow(id);
    s.visible = w->isVisible();
    s.title = w->windowTitle();
    s.canvas = w->picMain->pixels();
    s.vertical = scrollOf(w->vsbScroll);
    s.horizontal = scrollOf(w->hsbScroll);
    return s;
}

void restoreSurface(const Document& document, Surface surface, const SurfaceState& s) {
    if (surface == Surface::DraftPad) {
        const EditorSurfaces& e = document.surfaces();
        e.pad->restorePixels(s.canvas);
        restoreScroll(e.padVertical, s.vertical);
        restoreScroll(e.padHorizontal, s.horizontal);
        return;
    }
    const windows::Id id = windowOf(surface);
    if (!s.exists) {
        windows::unload(id);
        return;
    }
    QWidget* window = nullptr;
    if (isImageWindow(surface)) {
        ImageWindow* w = imageWindow(id);
        w->Image1->restorePixels(s.view);
        window = w;
    } else {
        PictureWindow* w = pictureWindow(id);
        w->picMain->restorePixels(s.canvas);
        restoreScroll(w->vsbScroll, s.vertical);
        restoreScroll(w->hsbScroll, s.horizontal);
        window = w;
    }
    window->setWindowTitle(s.title);
    window->setVisible(s.visible);
}

bool samePixels(const QImage& a, const QImage& b) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull();
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    if (a.constBits() == b.constBits())
        return true;
    const std::size_t rowBytes = static_cast<std::size_t>(a.width()) * (a.depth() / 8);
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0)
            return false;
    return true;
}

bool sameContent(Surface surface, const SurfaceState& a, const SurfaceState& b, bool withRaster) {
    if (!a.exists || !b.exists) {
        if (a.exists == b.exists)
            return true;
        const SurfaceState& present = a.exists ? a : b;
        return !present.visible && isDesignState(surface, present);
    }
    if (a.title != b.title || a.visible != b.visible)
        return false;
    if (isImageWindow(surface))
        return a.view.stretch == b.view.stretch && a.view.size == b.view.size &&
               samePixels(a.view.picture, b.view.picture);
    return a.canvas.width == b.canvas.width && a.canvas.height == b.canvas.height &&
           a.canvas.autoSize == b.canvas.autoSize && sameScroll(a.vertical, b.vertical) &&
           sameScroll(a.horizontal, b.horizontal) && samePixels(a.canvas.picture, b.canvas.picture) &&
           (!withRaster || samePixels(a.canvas.raster, b.canvas.raster));
}

qint64 heldBytes(const SurfaceState& s) {
    qint64 bytes = s.canvas.raster.sizeInBytes() + s.view.picture.sizeInBytes();
    if (!s.canvas.picture.isNull() &&
        (s.canvas.raster.isNull() || s.canvas.picture.constBits() != s.canvas.raster.constBits()))
        bytes += s.canvas.picture.sizeInBytes();
    return bytes;
}

} // namespace tesmaro
