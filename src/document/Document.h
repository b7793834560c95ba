#pragma once
// The program's document: everything the commands work on and share. That is the seven picture
// windows (through the window registry, which creates each on first reference), the editor's
// surfaces on the control panel, and the values the commands share. Commands get the document and
// a plain request; they never see the control panel itself.

#include "document/AppState.h"
#include "document/FrontEnd.h"
#include "windows/Windows.h"

#include <QPointer>

#include <vector>

class QLineEdit;
class QScrollBar;

namespace tesmaro {

class Canvas;
class CanvasWatcher;

// The editor's drawing surfaces, owned by the control panel (or by a test).
struct EditorSurfaces {
    Canvas* pad = nullptr; // the draft pad
    QScrollBar* padVertical = nullptr;
    QScrollBar* padHorizontal = nullptr;
    Canvas* swatch = nullptr;        // shows the chosen colour
    Canvas* widthPreview = nullptr;  // shows a dot of the line width
    QLineEdit* labelField = nullptr; // the label text, in the label font and colour
};

class Document {
public:
    explicit Document(const EditorSurfaces& surfaces);
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    AppState state;

    const EditorSurfaces& surfaces() const { return m_surfaces; }
    Canvas& pad() const { return *m_surfaces.pad; }

    FrontEnd& front() const { return *m_front; }
    // The front end commands report to; null restores one that does nothing.
    void setFrontEnd(FrontEnd* front);

    // The watcher of every picture the undo history covers: the draft pad and the canvases of the
    // picture windows, including those created later. Null removes it.
    void setCanvasWatcher(CanvasWatcher* watcher);

private:
    void watch(Canvas* canvas);

    EditorSurfaces m_surfaces;
    // Every canvas given the watcher, also those of windows closed since and not yet deleted.
    std::vector<QPointer<Canvas>> m_watchedCanvases;
    FrontEnd m_silentFront;
    FrontEnd* m_front = &m_silentFront;
    CanvasWatcher* m_watcher = nullptr;
    windows::CreationListener m_creation;
};

} // namespace tesmaro
