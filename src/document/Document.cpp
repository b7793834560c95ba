#include "document/Document.h"

#include "windows/Canvas.h"

namespace tesmaro {

Document::Document(const EditorSurfaces& surfaces)
    : m_surfaces(surfaces),
      m_creation([this](windows::Id id, QWidget*) { watch(windows::existingCanvas(id)); }) {}

Document::~Document() {
    setCanvasWatcher(nullptr);
}

void Document::setFrontEnd(FrontEnd* front) {
    m_front = front ? front : &m_silentFront;
}

void Document::watch(Canvas* canvas) {
    if (!canvas)
        return;
    canvas->setWatcher(m_watcher);
    for (const QPointer<Canvas>& known : m_watchedCanvases)
        if (known == canvas)
            return;
    m_watchedCanvases.emplace_back(canvas);
}

void Document::setCanvasWatcher(CanvasWatcher* watcher) {
    m_watcher = watcher;
    std::erase_if(m_watchedCanvases, [](const QPointer<Canvas>& c) { return c.isNull(); });
    for (const QPointer<Canvas>& canvas : m_watchedCanvases)
        canvas->setWatcher(watcher);
    watch(m_surfaces.pad);
    using windows::Id;
    for (Id id : {Id::Picture1, Id::Picture2, Id::Temp, Id::MCopy1, Id::MCopy2})
        watch(windows::existingCanvas(id));
}

} // namespace tesmaro
