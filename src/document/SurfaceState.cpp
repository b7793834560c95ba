#include "document/SurfaceState.h"

#include "core/PackedColour.h"
#include "document/Document.h"

#include <algorithm>
#include <cstring>

namespace tesmaro {
namespace {

WindowId windowOf(Surface surface) {
    return static_cast<WindowId>(static_cast<int>(surface));
}

bool isImageSurface(Surface surface) {
    return surface == Surface::Image1 || surface == Surface::Image2;
}

bool sameScroll(const ScrollState& a, const ScrollState& b) {
    return a == b;
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
    const WindowId id = windowOf(surface);
    if (isImageSurface(surface)) {
        const ImageWindowDesign d = imageDesign(id);
        return s.title == d.caption && s.view.picture.isNull() && !s.view.stretch &&
               s.view.size == QSize(d.viewWidth, d.viewHeight);
    }
    const PictureWindowDesign d = pictureDesign(id);
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
    return document.existingCanvas(windowOf(surface));
}

SurfaceState captureSurface(const Document& document, Surface surface) {
    SurfaceState s;
    if (surface == Surface::DraftPad) {
        s.exists = true;
        s.canvas = document.pad().pixels();
        s.vertical = document.padScroll().vertical();
        s.horizontal = document.padScroll().horizontal();
        return s;
    }
    const ProgramWindow* window = document.existingWindow(windowOf(surface));
    if (!window)
        return s;
    s.exists = true;
    s.visible = window->isVisible();
    s.title = window->title();
    if (isImageSurface(surface)) {
        s.view = static_cast<const ImageWindow*>(window)->Image1->pixels();
        return s;
    }
    const auto* w = static_cast<const PictureWindow*>(window);
    s.canvas = w->picMain->pixels();
    s.vertical = w->scroll->vertical();
    s.horizontal = w->scroll->horizontal();
    return s;
}

void restoreSurface(Document& document, Surface surface, const SurfaceState& s) {
    if (surface == Surface::DraftPad) {
        document.pad().restorePixels(s.canvas);
        document.padScroll().restore(s.vertical, s.horizontal);
        return;
    }
    const WindowId id = windowOf(surface);
    if (!s.exists) {
        document.discard(id);
        return;
    }
    ProgramWindow* window = nullptr;
    if (isImageSurface(surface)) {
        ImageWindow& w = document.imageWindow(id);
        w.Image1->restorePixels(s.view);
        window = &w;
    } else {
        PictureWindow& w = document.pictureWindow(id);
        w.picMain->restorePixels(s.canvas);
        w.scroll->restore(s.vertical, s.horizontal);
        window = &w;
    }
    window->setTitle(s.title);
    window->setVisible(s.visible);
}

namespace {

// Pictures this large are worth sampling before a whole comparison.
constexpr qint64 kSampledBytes = qint64{1} << 20;
constexpr int kSampledRows = 32;

Sameness comparePixels(const QImage& a, const QImage& b, bool sample) {
    if (a.isNull() || b.isNull())
        return a.isNull() == b.isNull() ? Sameness::Same : Sameness::Different;
    if (a.size() != b.size() || a.format() != b.format())
        return Sameness::Different;
    if (a.constBits() == b.constBits())
        return Sameness::Same;
    const std::size_t rowBytes = static_cast<std::size_t>(a.width()) * (a.depth() / 8);
    const auto sameRow = [&](int y) {
        return std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) == 0;
    };
    if (sample && a.sizeInBytes() > kSampledBytes) {
        for (int i = 0; i < kSampledRows; ++i)
            if (!sameRow(static_cast<int>(qint64(a.height() - 1) * i / (kSampledRows - 1))))
                return Sameness::Different;
        return Sameness::Unproven;
    }
    for (int y = 0; y < a.height(); ++y)
        if (!sameRow(y))
            return Sameness::Different;
    return Sameness::Same;
}

Sameness both(Sameness a, Sameness b) {
    if (a == Sameness::Different || b == Sameness::Different)
        return Sameness::Different;
    return a == Sameness::Unproven || b == Sameness::Unproven ? Sameness::Unproven : Sameness::Same;
}

Sameness compareContent(Surface surface, const SurfaceState& a, const SurfaceState& b, bool withRaster,
                        bool sample) {
    if (!a.exists || !b.exists) {
        if (a.exists == b.exists)
            return Sameness::Same;
        const SurfaceState& present = a.exists ? a : b;
        return !present.visible && isDesignState(surface, present) ? Sameness::Same : Sameness::Different;
    }
    if (a.title != b.title || a.visible != b.visible)
        return Sameness::Different;
    if (isImageSurface(surface)) {
        if (a.view.stretch != b.view.stretch || a.view.size != b.view.size)
            return Sameness::Different;
        return comparePixels(a.view.picture, b.view.picture, sample);
    }
    if (a.canvas.width != b.canvas.width || a.canvas.height != b.canvas.height ||
        a.canvas.autoSize != b.canvas.autoSize || !sameScroll(a.vertical, b.vertical) ||
        !sameScroll(a.horizontal, b.horizontal))
        return Sameness::Different;
    const Sameness picture = comparePixels(a.canvas.picture, b.canvas.picture, sample);
    if (picture == Sameness::Different || !withRaster)
        return picture;
    return both(picture, comparePixels(a.canvas.raster, b.canvas.raster, sample));
}

} // namespace

bool samePixels(const QImage& a, const QImage& b) {
    return comparePixels(a, b, false) == Sameness::Same;
}

bool sameContent(Surface surface, const SurfaceState& a, const SurfaceState& b, bool withRaster) {
    return compareContent(surface, a, b, withRaster, false) == Sameness::Same;
}

Sameness quickSameness(Surface surface, const SurfaceState& a, const SurfaceState& b, bool withRaster) {
    return compareContent(surface, a, b, withRaster, true);
}

qint64 heldBytes(const SurfaceState& s) {
    qint64 bytes = s.canvas.raster.sizeInBytes() + s.view.picture.sizeInBytes();
    if (!s.canvas.picture.isNull() &&
        (s.canvas.raster.isNull() || s.canvas.picture.constBits() != s.canvas.raster.constBits()))
        bytes += s.canvas.picture.sizeInBytes();
    return bytes;
}

} // namespace tesmaro
