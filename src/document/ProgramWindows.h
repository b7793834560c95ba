#pragma once
// The seven picture windows as the document holds them: what each shows (a canvas or an image
// view), its scroll bars, its title and whether it is shown. Plain values, no widget: views
// (windows/) draw them and turn the user's scrolling, resizing and closing into changes here.
//
// Each window is created hidden with its design values the first time anything refers to it
// (Document::pictureWindow, Document::imageWindow) and discarded with its picture when it is
// closed; the next reference creates it afresh.

#include "document/Canvas.h"
#include "document/ImageView.h"
#include "document/ScrollBars.h"

#include <QObject>
#include <QRect>
#include <QString>

#include <cstdint>

namespace tesmaro {

enum class WindowId { Image1, Image2, Picture1, Picture2, Temp, MCopy1, MCopy2 };
inline constexpr WindowId kEveryWindow[] = {WindowId::Image1,   WindowId::Image2, WindowId::Picture1,
                                            WindowId::Picture2, WindowId::Temp,   WindowId::MCopy1,
                                            WindowId::MCopy2};

inline bool isImageWindow(WindowId id) {
    return id == WindowId::Image1 || id == WindowId::Image2;
}

// Design values of a scrollable picture window, pixels.
struct PictureWindowDesign {
    QString objectName;
    QString caption;
    QRect client;       // client area on the screen
    bool whiteViewport; // picBox background white rather than the system default
    int canvasWidth;
    int canvasHeight;
    std::int32_t canvasBack; // packed colour
    int vbarTop;             // vsbScroll top, never changed by the layout
    int hbarLeft;            // hsbScroll left, never changed by the layout
    int barShortening;       // the bars are this much shorter than the client extent
};

// Design values of an image window, pixels.
struct ImageWindowDesign {
    QString objectName;
    QString caption;
    QRect client;
    int viewWidth;
    int viewHeight;
};

PictureWindowDesign pictureDesign(WindowId id);
ImageWindowDesign imageDesign(WindowId id);

// What every picture window has: its title and whether it is shown.
class ProgramWindow : public QObject {
    Q_OBJECT
public:
    ProgramWindow(WindowId id, const QString& title, QObject* parent);

    WindowId id() const { return m_id; }
    const QString& title() const { return m_title; }
    void setTitle(const QString& title);
    bool isVisible() const { return m_visible; }
    void setVisible(bool visible);
    // Show: visible, modeless; showing a shown window changes nothing.
    void show() { setVisible(true); }
    void hide() { setVisible(false); }
    // Asks the views to bring the window in front of the others.
    void raise() { emit raiseRequested(); }

signals:
    void titleChanged();
    void visibilityChanged();
    void raiseRequested();

private:
    WindowId m_id;
    QString m_title;
    bool m_visible = false;
};

// frmPicture1, frmPicture2, frmTemp, frmMCopy1, frmMCopy2: the canvas picMain and the bars.
class PictureWindow : public ProgramWindow {
    Q_OBJECT
public:
    PictureWindow(WindowId id, QObject* parent);

    const PictureWindowDesign& design() const { return m_design; }
    Canvas* const picMain;
    ScrollBars* const scroll;

    // Sets both scroll maxima (the picture's height and width); the minimum stays 0. A value
    // outside 0..kMaxPictureSide is refused (false, nothing changed). A value above a smaller new
    // maximum drops to it.
    bool setScrollMax(int height, int width);

private:
    PictureWindowDesign m_design;
};

// frmImage1, frmImage2: the image view Image1.
class ImageWindow : public ProgramWindow {
    Q_OBJECT
public:
    ImageWindow(WindowId id, QObject* parent);

    const ImageWindowDesign& design() const { return m_design; }
    ImageView* const Image1;

    // Cls of the window itself clears what was drawn on the window, not the view's picture;
    // nothing is ever drawn there, so it changes nothing the document holds.
    void cls() {}

private:
    ImageWindowDesign m_design;
};

} // namespace tesmaro
