#include "windows/ImageView.h"

#include "core/PictureLimits.h"
#include "windows/AccessibleSurfaces.h"

#include <QPainter>

namespace tesmaro {

ImageView::ImageView(QWidget* parent, int width, int height) : QWidget(parent) {
    setObjectName("Image1");
    installAccessibleSurfaces();
    resize(width, height);
}

bool ImageView::setPicture(const QImage& picture) {
    if (!m_stretch && !picture.isNull()) {
        if (picture.width() > kMaxPictureSide || picture.height() > kMaxPictureSide)
            return false;
        resize(picture.width(), picture.height());
    }
    m_picture = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    // Shown at one picture pixel per view pixel, whatever ratio the picture came with.
    m_picture.setDevicePixelRatio(1);
    update();
    return true;
}

void ImageView::setStretch(bool on) {
    m_stretch = on;
    if (!on && !m_picture.isNull())
        resize(m_picture.size());
    update();
}

bool ImageView::setViewSize(int width, int height) {
    if (width < 0 || height < 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return false;
    resize(width, height);
    update();
    return true;
}

void ImageView::restorePixels(const ViewPixels& pixels) {
    m_picture = pixels.picture;
    m_stretch = pixels.stretch;
    resize(pixels.size);
    update();
}

void ImageView::paintEvent(QPaintEvent*) {
    if (m_picture.isNull())
        return;
    QPainter p(this);
    if (m_stretch)
        p.drawImage(rect(), m_picture);
    else
        p.drawImage(0, 0, m_picture);
}

} // namespace tesmaro
