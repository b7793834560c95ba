#pragma once
// An image view (Image1 of the image windows): holds one picture at its own size and shows it
// at that size (Stretch off: the view takes the picture's size) or scaled to the view's size
// (Stretch on). picture() always yields the picture as given, never the scaled display.

#include <QImage>
#include <QSize>
#include <QWidget>

namespace tesmaro {

// Everything that makes up what an image view shows (undo and redo take and put it back).
struct ViewPixels {
    QImage picture;
    bool stretch = false;
    QSize size;
};

class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent, int width, int height);

    const QImage& picture() const { return m_picture; }
    // A null image is the empty picture. Returns false, changing nothing, when the view cannot
    // take the picture's size (Stretch off and a side above kMaxPictureSide).
    bool setPicture(const QImage& picture);
    bool stretch() const { return m_stretch; }
    // Turning Stretch off gives the view its picture's size (if it has a picture).
    void setStretch(bool on);
    int viewWidth() const { return width(); }
    int viewHeight() const { return height(); }
    // Returns false for a negative size or a side above kMaxPictureSide.
    bool setViewSize(int width, int height);

    ViewPixels pixels() const { return {m_picture, m_stretch, size()}; }
    void restorePixels(const ViewPixels& pixels);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    bool m_stretch = false;
};

} // namespace tesmaro
