#pragma once
// An image window on the screen (frmImage1, frmImage2), the view of the document's ImageWindow: a
// plain frame around one image view Image1. Nothing reacts to its resizing; a picture larger than
// the window is cut off. Title and visibility are the document's; closing the window asks for it
// to be discarded (closeRequested).

#include "document/ProgramWindows.h"
#include "windows/ImageViewWidget.h"

#include <QPointer>
#include <QWidget>

namespace tesmaro {

class ImageWindowWidget : public QWidget {
    Q_OBJECT
public:
    explicit ImageWindowWidget(ImageWindow& window);

    ImageViewWidget* Image1;

    ImageWindow* window() const { return m_window; }

signals:
    // The user closed the window: the document is to discard it.
    void closeRequested();
    // A picture file was dropped on the window (only while drops are accepted, setAcceptDrops).
    void pictureDropped(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QPointer<ImageWindow> m_window;
};

} // namespace tesmaro
