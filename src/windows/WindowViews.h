#pragma once
// The picture windows on the screen: one widget for each window the document holds, made when the
// document creates the window and gone when it discards it. A window the user closes is discarded
// in the document, picture and all, as closing it always did.

#include "document/Document.h"
#include "windows/ImageWindowWidget.h"
#include "windows/PictureWindowWidget.h"

#include <QObject>
#include <QPointer>

#include <array>

namespace tesmaro {

class WindowViews : public QObject {
    Q_OBJECT
public:
    // Views of the windows the document holds now and of those it creates later. The views go
    // with this object.
    explicit WindowViews(Document& document, QObject* parent = nullptr);
    ~WindowViews() override;

    // The window's widget, or null while the document does not hold the window.
    QWidget* widget(WindowId id) const { return m_widgets[static_cast<std::size_t>(id)]; }
    PictureWindowWidget* pictureWindow(WindowId id) const;
    ImageWindowWidget* imageWindow(WindowId id) const;

signals:
    // A picture window's widget was made (the editor's mouse tools attach to its canvas).
    void pictureWindowShown(WindowId id, PictureWindowWidget* widget);
    // A picture file was dropped on a source window, frmPicture1 or frmImage1, the only windows
    // that take a drop.
    void pictureDropped(WindowId id, const QString& path);

private:
    void create(WindowId id);
    void drop(WindowId id);

    Document& m_document;
    std::array<QPointer<QWidget>, 7> m_widgets;
};

} // namespace tesmaro
