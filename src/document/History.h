#pragma once
// The undo history of the whole program: one list of steps, since one command may change
// several windows at once. A step is what one command or one drawing action changed in the
// picture windows and the draft pad: pictures, canvas sizes, scroll ranges and positions, titles.
// Files, the clipboard and the control panel's fields are not part of it.
//
// Recording: open() before the change and close() after it. Opens nest; the step is taken when
// the outermost one closes, and only if something changed. While a step is open the history
// watches every surface canvas. Each surface's state is held by reference (shared pictures, no
// copy); when a small part of a raster held so is about to be drawn over in place, the history
// keeps just the 64-pixel tiles that part touches and lets go of the rest.
//
// Undo and redo exchange a step's stored side with what the surfaces show now, so a step always
// holds exactly one side of its change. They do nothing while a step is open.
//
// The steps hold at most kMaxBytes of pixels: past that the oldest go; the newest always stays.

#include "document/Canvas.h"
#include "document/SurfaceState.h"

#include <QPointer>
#include <QRect>

#include <deque>
#include <map>
#include <vector>

namespace tesmaro {

class Document;

class History : public CanvasWatcher {
public:
    static constexpr qint64 kMaxBytes = qint64{512} << 20;
    static constexpr int kTileSide = 64;

    explicit History(Document& document);
    ~History() override;
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    void open();
    void close();
    bool isOpen() const { return m_depth > 0; }

    // false when there was nothing to undo or redo, or a step is open.
    bool undo();
    bool redo();
    bool canUndo() const { return !isOpen() && !m_undo.empty(); }
    bool canRedo() const { return !isOpen() && !m_redo.empty(); }
    int undoSteps() const { return static_cast<int>(m_undo.size()); }
    int redoSteps() const { return static_cast<int>(m_redo.size()); }
    // The pixels the steps hold, bytes.
    qint64 heldBytes() const;
    void clear();

    void beforeDraw(Canvas& canvas, const QRect& rect) override;
    void beforeRepaint(Canvas& canvas) override;

private:
    struct Patch {
        QRect rect;
        QImage pixels;
    };
    // One surface's side of a step. Unless inPlace, state is the whole other side. In place, the
    // raster was drawn on where it is: the patches hold the other side's pixels of the tiles that
    // changed (perhaps none, when only a title or a bar did), and state holds no pictures. Every change to a
    // surface goes through the history, so when the steps after it are undone the raster is again the one the
    // patches fit; only a canvas that went away (its window closed) leaves them nothing to fit.
    struct Change {
        Surface surface;
        SurfaceState state;
        bool inPlace = false;
        std::vector<Patch> patches;
        QPointer<Canvas> canvas;
        QSize rasterSize;
    };
    struct Step {
        std::vector<Change> changes;
        qint64 bytes = 0;
    };
    // A surface while a step is open.
    struct Watched {
        Surface surface;
        SurfaceState before;
        QPointer<Canvas> canvas;
        bool patched = false; // before.canvas.raster let go; tiles hold the pixels drawn over
        std::map<int, Patch> tiles;
    };

    void commit();
    Watched* watchedFor(const Canvas& canvas);
    void keepTiles(Watched& w, const QRect& rect);
    // Exchanges the change's side with the surface; false (nothing done) when a patched change
    // no longer fits its canvas.
    bool exchange(Change& change);
    // Takes the step from one list, exchanges it and puts it on the other.
    bool move(std::deque<Step>& from, std::deque<Step>& to);
    static qint64 stepBytes(const Step& step);
    void trim();

    Document& m_document;
    int m_depth = 0;
    std::vector<Watched> m_watched;
    std::deque<Step> m_undo; // oldest first
    std::deque<Step> m_redo; // next to redo last
};

} // namespace tesmaro
