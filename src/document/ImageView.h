#pragma once
// An image view (Image1 of the image windows) as the document holds it: one picture, shown at its
// own size (Stretch off: the view takes the picture's size) or scaled to the view's size (Stretch
// on). picture() always yields the picture as given, never the scaled display. No widget: views
// draw it (windows/ImageViewWidget.h).

#include <QImage>
#include <QObject>
#include <QSize>

namespace tesmaro {

// Everything that makes up what an image view shows (undo and redo take and put it back).
struct ViewPixels {
    QImage picture;
    bool stretch = false;
    QSize size;
};

class ImageView : public QObject {
    Q_OBJECT
public:
    ImageView(int width, int height, QObject* parent = nullptr);

    const QImage& picture() const { return m_picture; }
    // A null image is the empty picture. Returns false, changing nothing, when the view cannot
    // take the picture's size (Stretch off and a side above kMaxPictureSide).
    bool setPicture(const QImage& picture);
    bool stretch() const { return m_stretch; }
    // Turning Stretch off gives the view its picture's size (if it has a picture).
    void setStretch(bool on);
    int viewWidth() const { return m_size.width(); }
    int viewHeight() const { return m_size.height(); }
    // Returns false for a negative size or a side above kMaxPictureSide.
    bool setViewSize(int width, int height);

    ViewPixels pixels() const { return {m_picture, m_stretch, m_size}; }
    void restorePixels(const ViewPixels& pixels);

signals:
    // The picture, Stretch or the view's size changed.
    void changed();

private:
    void resize(const QSize& size) { m_size = size; }
    void resize(int width, int height) { m_size = QSize(width, height); }

    QSize m_size;
    QImage m_picture;
    bool m_stretch = false;
};

} // namespace tesmaro
