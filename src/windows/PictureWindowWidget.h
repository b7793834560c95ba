#pragma once
// A scrollable picture window on the screen (frmPicture1, frmPicture2, frmTemp, frmMCopy1,
// frmMCopy2), the view of the document's PictureWindow: picBox, the bordered viewport filling the
// client area, holds the canvas picMain and the scroll bars vsbScroll and hsbScroll, which lie
// over the picture. The layout follows the window's size; the bars show the document's scroll
// state and change it, and the canvas sits at minus the scroll values. Title and visibility are
// the document's; closing the window asks for it to be discarded (closeRequested).
//
// Zoom (all but frmMCopy1, which is never shown) is the window's own, not the document's: Ctrl
// with the wheel steps it around the pointer, Ctrl+plus (or Ctrl+=) and Ctrl+minus around the
// view's centre, Ctrl+0 back to 100 %; the picture pixel under the anchor stays under it. Scroll
// positions stay in picture pixels, so the document's ranges are the same at every zoom. A new
// zoom shows for a moment in the view's corner and in the canvas's accessible description.

#include "document/ProgramWindows.h"
#include "windows/CanvasWidget.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QRect>
#include <QScrollBar>
#include <QWidget>

namespace tesmaro {

// The viewport: a frame whose inner widget is the container of the canvas and the bars,
// so child coordinates are inner coordinates, as the layout rules count them.
class PicBox : public QFrame {
    Q_OBJECT
public:
    explicit PicBox(QWidget* parent);
    QWidget* inner() const { return m_inner; }
    // Fits the inner widget to the current size at once (a hidden box gets no resize event).
    void fitInner();
    int scaleWidth() const;
    int scaleHeight() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QWidget* m_inner;
};

class PictureWindowWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBarThickness = 17;

    explicit PictureWindowWidget(PictureWindow& window);

    PicBox* picBox;
    CanvasWidget* picMain;
    QScrollBar* vsbScroll;
    QScrollBar* hsbScroll;

    const PictureWindowDesign& design() const { return m_design; }
    // The window shown; null once the document has discarded it.
    PictureWindow* window() const { return m_window; }

    // The layout rule; runs on every resize, the first one when the window is first shown.
    void layoutControls();

    // The zoom step (windows/Zoom.h); 100 % (zoom::kFullSizeStep) when the window is made.
    int zoomStep() const { return m_zoomStep; }
    // Sets the zoom, keeping the picture pixel under anchor (a point of the view, picBox's inner
    // area) where it is; nothing for a window that does not zoom.
    void setZoomStep(int step, QPointF anchor);
    bool zooms() const;

signals:
    // The user closed the window: the document is to discard it.
    void closeRequested();
    // A picture file was dropped on the window (only while drops are accepted, setAcceptDrops).
    void pictureDropped(const QString& path);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void followScroll();

    void showZoom();

    PictureWindowDesign m_design;
    QPointer<PictureWindow> m_window;
    int m_zoomStep;
    QLabel* m_zoomShown;
};

} // namespace tesmaro
