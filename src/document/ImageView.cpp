#include "document/ImageView.h"

#include "core/PictureLimits.h"

namespace tesmaro {

ImageView::ImageView(int width, int height, QObject* parent) : QObject(parent), m_size(width, height) {}

bool ImageView::setPicture(const QImage& picture) {
    if (!m_stretch && !picture.isNull()) {
        if (picture.width() > kMaxPictureSide || picture.height() > kMaxPictureSide)
            return false;
        resize(picture.width(), picture.height());
    }
    m_picture = picture.isNull() ? QImage() : picture.convertToFormat(QImage::Format_RGB32);
    // Shown at one picture pixel per view pixel, whatever ratio the picture came with.
    m_picture.setDevicePixelRatio(1);
    emit changed();
    return true;
}

void ImageView::setStretch(bool on) {
    m_stretch = on;
    if (!on && !m_picture.isNull())
        resize(m_picture.size());
    emit changed();
}

bool ImageView::setViewSize(int width, int height) {
    if (width < 0 || height < 0 || width > kMaxPictureSide || height > kMaxPictureSide)
        return false;
    resize(width, height);
    emit changed();
    return true;
}

void ImageView::restorePixels(const ViewPixels& pixels) {
    m_picture = pixels.picture;
    m_stretch = pixels.stretch;
    resize(pixels.size);
    emit changed();
}

} // namespace tesmaro
