#pragma once
// An image view (Image1 of the image windows): holds one picture at its own size and shows it
// at that size (Stretch off: the view takes the picture's size) or scaled to the view's size
// (Stretch on). picture() always yields the picture as given, never the scaled display.

#include <QImage>
#include <QWidget>

namespace tesmaro {

class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget* parent, int width, int height);

    const QImage& picture() const { return m_picture; }
    // A null image is the empty picture. Returns false, changing nothing, when the view cannot
    // take the picture's size (Stretch off and a side above 32767).
    bool setPicture(const QImage& picture);
    bool stretch() const { return m_stretch; }
    // Turning Stretch off gives the view its picture's size (if it has a picture).
    void setStretch(bool on);
    int viewWidth() const { return width(); }
    int viewHeight() const { return height(); }
    // Returns false for a negative size or a side above 32767.
    bool setViewSize(int width, int height);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    bool m_stretch = false;
};

} // namespace tesmaro
