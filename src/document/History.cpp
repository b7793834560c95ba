#include "document/History.h"

#include "document/Document.h"
#include "pictures/RasterImage.h"

#include <algorithm>
#include <cstring>

namespace tesmaro {
namespace {

// The pixels of rect (inside the raster) as a picture of their own.
QImage copyOf(const QImage& raster, const QRect& rect) {
    return raster.copy(rect).convertToFormat(QImage::Format_RGB32);
}

bool sameRegion(const QImage& raster, const QRect& rect, const QImage& patch) {
    const std::size_t bytes = static_cast<std::size_t>(rect.width()) * 4;
    for (int y = 0; y < rect.height(); ++y)
        if (std::memcmp(raster.constScanLine(rect.top() + y) + std::size_t(rect.left()) * 4,
                        patch.constScanLine(y), bytes) != 0)
            return false;
    return true;
}

void pastePatch(QImage& into, const QRect& rect, const QImage& patch) {
    const std::size_t bytes = static_cast<std::size_t>(rect.width()) * 4;
    for (int y = 0; y < rect.height(); ++y)
        std::memcpy(into.scanLine(rect.top() + y) + std::size_t(rect.left()) * 4, patch.constScanLine(y),
                    bytes);
}

// What a patched change keeps besides its patches: no pictures, which the canvas holds itself.
SurfaceState withoutPictures(SurfaceState s) {
    s.canvas.raster = QImage();
    s.canvas.picture = QImage();
    return s;
}

// The parts of the state a change that drew in place puts back besides its pixels.
void restoreAround(Document& document, Surface surface, const SurfaceState& s, Canvas& canvas) {
    SurfaceState whole = s;
    whole.canvas = canvas.pixels();
    whole.canvas.autoSize = s.canvas.autoSize;
    restoreSurface(document, surface, whole);
}

} // namespace

History::History(Document& document) : m_document(document) {
    m_document.setCanvasWatcher(this);
}

History::~History() {
    m_document.setCanvasWatcher(nullptr);
}

void History::open() {
    if (m_depth++ > 0)
        return;
    m_watched.clear();
    for (Surface s : kAllSurfaces)
        m_watched.push_back(
            Watched{s, captureSurface(m_document, s), surfaceCanvas(m_document, s), false, {}});
}

void History::close() {
    if (m_depth == 0 || --m_depth > 0)
        return;
    commit();
    m_watched.clear();
}

History::Watched* History::watchedFor(const Canvas& canvas) {
    if (m_depth == 0)
        return nullptr;
    for (Watched& w : m_watched)
        if (w.canvas == &canvas)
            return &w;
    return nullptr;
}

void History::keepTiles(Watched& w, const QRect& rect) {
    const QImage& raster = w.canvas->image();
    const int columns = (raster.width() + kTileSide - 1) / kTileSide;
    for (int ty = rect.top() / kTileSide; ty <= rect.bottom() / kTileSide; ++ty)
        for (int tx = rect.left() / kTileSide; tx <= rect.right() / kTileSide; ++tx) {
            const int key = ty * columns + tx;
            if (w.tiles.count(key))
                continue;
            const QRect tile =
                QRect(tx * kTileSide, ty * kTileSide, kTileSide, kTileSide).intersected(raster.rect());
            w.tiles.emplace(key, Patch{tile, copyOf(raster, tile)});
        }
}

void History::beforeDraw(Canvas& canvas, const QRect& rect) {
    Watched* w = watchedFor(canvas);
    if (!w)
        return;
    if (w->patched) {
        keepTiles(*w, rect);
        return;
    }
    const QImage& raster = canvas.image();
    // Held by reference only while the canvas still shows the very raster taken at the open.
    if (w->before.canvas.raster.isNull() || w->before.canvas.raster.constBits() != raster.constBits())
        return;
    // Shared with the canvas's own picture, the raster is copied by the drawing anyway; and when
    // most of it is drawn over, its tiles would cost that copy too: keep it whole.
    if (raster.constBits() == canvas.picture().constBits() ||
        2 * qint64(rect.width()) * rect.height() >= qint64(raster.width()) * raster.height())
        return;
    w->patched = true;
    keepTiles(*w, rect);
    w->before.canvas.raster = QImage(); // the drawing now happens in place, without a copy
}

void History::beforeRepaint(Canvas& canvas) {
    Watched* w = watchedFor(canvas);
    if (!w || !w->patched)
        return;
    // The raster drawn on in place is about to go: rebuild what it held at the open.
    QImage original = canvas.image().copy();
    for (const auto& [key, patch] : w->tiles)
        pastePatch(original, patch.rect, patch.pixels);
    w->before.canvas.raster = original;
    w->patched = false;
    w->tiles.clear();
}

void History::commit() {
    Step step;
    // Surfaces whose large pictures agreed on a sample of rows: part of the step if anything else
    // changed (holding their old side costs no time), compared in full only when nothing did, so
    // a command that redraws a large picture the same costs no pass over it.
    std::vector<Watched*> unproven;
    for (Watched& w : m_watched) {
        const SurfaceState now = captureSurface(m_document, w.surface);
        if (!w.patched) {
            switch (quickSameness(w.surface, w.before, now)) {
            case Sameness::Same:
                break;
            case Sameness::Unproven:
                unproven.push_back(&w);
                break;
            case Sameness::Different:
                step.changes.push_back(Change{w.surface, w.before, false, {}, {}, {}});
                break;
            }
            continue;
        }
        Change change{w.surface, withoutPictures(w.before), true, {}, w.canvas, w.canvas->image().size()};
        for (auto& [key, patch] : w.tiles)
            if (!sameRegion(w.canvas->image(), patch.rect, patch.pixels))
                change.patches.push_back(std::move(patch));
        if (change.patches.empty() && sameContent(w.surface, w.before, now, false))
            continue;
        step.changes.push_back(std::move(change));
    }
    for (Watched* w : unproven)
        if (!step.changes.empty() ||
            !sameContent(w->surface, w->before, captureSurface(m_document, w->surface)))
            step.changes.push_back(Change{w->surface, w->before, false, {}, {}, {}});
    if (step.changes.empty())
        return;
    step.bytes = stepBytes(step);
    m_undo.push_back(std::move(step));
    m_redo.clear();
    trim();
}

bool History::exchange(Change& change) {
    if (!change.inPlace) {
        SurfaceState now = captureSurface(m_document, change.surface);
        restoreSurface(m_document, change.surface, change.state);
        change.state = std::move(now);
        return true;
    }
    Canvas* canvas = change.canvas;
    if (!canvas || canvas->image().size() != change.rasterSize) {
        return false;
    }
    const SurfaceState now = withoutPictures(captureSurface(m_document, change.surface));
    for (Patch& patch : change.patches)
        canvas->swapPixels(patch.rect, patch.pixels);
    restoreAround(m_document, change.surface, change.state, *canvas);
    change.state = now;
    return true;
}

bool History::move(std::deque<Step>& from, std::deque<Step>& to) {
    if (isOpen())
        return false;
    // A step whose canvas went away meanwhile (its window closed) has nothing left to put back.
    while (!from.empty()) {
        Step step = std::move(from.back());
        from.pop_back();
        std::vector<Change> done;
        for (Change& change : step.changes)
            if (exchange(change))
                done.push_back(std::move(change));
        if (done.empty())
            continue;
        step.changes = std::move(done);
        step.bytes = stepBytes(step);
        to.push_back(std::move(step));
        trim();
        return true;
    }
    return false;
}

bool History::undo() {
    return move(m_undo, m_redo);
}

bool History::redo() {
    return move(m_redo, m_undo);
}

void History::clear() {
    m_undo.clear();
    m_redo.clear();
}

qint64 History::stepBytes(const Step& step) {
    qint64 bytes = 0;
    for (const Change& c : step.changes) {
        bytes += tesmaro::heldBytes(c.state);
        for (const Patch& p : c.patches)
            bytes += p.pixels.sizeInBytes();
    }
    return bytes;
}

qint64 History::heldBytes() const {
    qint64 bytes = 0;
    for (const Step& s : m_undo)
        bytes += s.bytes;
    for (const Step& s : m_redo)
        bytes += s.bytes;
    return bytes;
}

void History::trim() {
    qint64 total = heldBytes();
    // The newest step is the last one done: the back of the undo list (or, right after an undo,
    // of the redo list); the oldest is the front of the undo list, then the far end of redo.
    while (total > kMaxBytes && m_undo.size() + m_redo.size() > 1) {
        if (m_undo.size() > 1 || (m_undo.size() == 1 && !m_redo.empty())) {
            total -= m_undo.front().bytes;
            m_undo.pop_front();
        } else {
            total -= m_redo.front().bytes;
            m_redo.pop_front();
        }
    }
}

} // namespace tesmaro
