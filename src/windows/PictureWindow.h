#pragma once
// A scrollable picture window (frmPicture1, frmPicture2, frmTemp, frmMCopy1, frmMCopy2):
// picBox, the bordered viewport filling the client area, holds the canvas picMain and the
// scroll bars vsbScroll and hsbScroll, which lie over the picture. The layout follows the
// window's size; the bars move the canvas (picMain at minus the scroll values).

#include "windows/Canvas.h"

#include <QFrame>
#include <QRect>
#include <QScrollBar>
#include <QString>
#include <QWidget>

#include <cstdint>

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

struct PictureWindowDesign {
    QString objectName;
    QString caption;
    QRect client;       // client area on the screen, pixels
    bool whiteViewport; // picBox background white rather than the system default
    int canvasWidth;
    int canvasHeight;
    std::int32_t canvasBack; // packed colour
    int vbarTop;             // vsbScroll top, never changed by the layout
    int hbarLeft;            // hsbScroll left, never changed by the layout
    int barShortening;       // the bars are this much shorter than the client extent
};

class PictureWindow : public QWidget {
    Q_OBJECT
public:
    static constexpr int kBarThickness = 17;

    explicit PictureWindow(const PictureWindowDesign& design);

    PicBox* picBox;
    Canvas* picMain;
    QScrollBar* vsbScroll;
    QScrollBar* hsbScroll;

    // Sets both scroll maxima (the picture's height and width); the minimum stays 0. A value
    // outside 0..kMaxPictureSide is refused (returns false, nothing changed). A value above a smaller new
    // maximum drops to it, and the canvas moves with it.
    bool setScrollMax(int height, int width);
    const PictureWindowDesign& design() const { return m_design; }

    // The layout rule; runs on every resize, the first one when the window is first shown.
    void layoutControls();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    PictureWindowDesign m_design;
};

} // namespace tesmaro
