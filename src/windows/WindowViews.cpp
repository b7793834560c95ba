#include "windows/WindowViews.h"

namespace tesmaro {

WindowViews::WindowViews(Document& document, QObject* parent) : QObject(parent), m_document(document) {
    connect(&document, &Document::windowCreated, this, &WindowViews::create);
    connect(&document, &Document::windowDiscarded, this, &WindowViews::drop);
    for (WindowId id : kEveryWindow)
        if (document.exists(id))
            create(id);
}

WindowViews::~WindowViews() {
    for (QPointer<QWidget>& w : m_widgets)
        delete w.data();
}

PictureWindowWidget* WindowViews::pictureWindow(WindowId id) const {
    return isImageWindow(id) ? nullptr : static_cast<PictureWindowWidget*>(widget(id));
}

ImageWindowWidget* WindowViews::imageWindow(WindowId id) const {
    return isImageWindow(id) ? static_cast<ImageWindowWidget*>(widget(id)) : nullptr;
}

void WindowViews::create(WindowId id) {
    QPointer<QWidget>& slot = m_widgets[static_cast<std::size_t>(id)];
    delete slot.data();
    const auto discard = [this, id] { m_document.discard(id); };
    if (isImageWindow(id)) {
        auto* w = new ImageWindowWidget(m_document.imageWindow(id));
        connect(w, &ImageWindowWidget::closeRequested, this, discard);
        w->setAcceptDrops(id == WindowId::Image1);
        connect(w, &ImageWindowWidget::pictureDropped, this,
                [this, id](const QString& path) { emit pictureDropped(id, path); });
        slot = w;
        return;
    }
    auto* w = new PictureWindowWidget(m_document.pictureWindow(id));
    connect(w, &PictureWindowWidget::closeRequested, this, discard);
    w->setAcceptDrops(id == WindowId::Picture1);
    connect(w, &PictureWindowWidget::pictureDropped, this,
            [this, id](const QString& path) { emit pictureDropped(id, path); });
    slot = w;
    emit pictureWindowShown(id, w);
}

void WindowViews::drop(WindowId id) {
    QPointer<QWidget>& slot = m_widgets[static_cast<std::size_t>(id)];
    if (!slot)
        return;
    // Later: the widget may be inside its own close event right now.
    slot->hide();
    slot->deleteLater();
    slot = nullptr;
}

} // namespace tesmaro
