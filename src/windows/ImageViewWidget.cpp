#include "windows/ImageViewWidget.h"

#include "windows/AccessibleSurfaces.h"

#include <QPainter>

namespace tesmaro {

ImageViewWidget::ImageViewWidget(ImageView& view, QWidget* parent) : QWidget(parent), m_view(&view) {
    setObjectName("Image1");
    installAccessibleSurfaces();
    connect(&view, &ImageView::changed, this, &ImageViewWidget::follow);
    follow();
}

void ImageViewWidget::follow() {
    if (m_view && size() != QSize(m_view->viewWidth(), m_view->viewHeight()))
        resize(m_view->viewWidth(), m_view->viewHeight());
    update();
}

void ImageViewWidget::paintEvent(QPaintEvent*) {
    if (!m_view || m_view->picture().isNull())
        return;
    QPainter p(this);
    if (m_view->stretch())
        p.drawImage(rect(), m_view->picture());
    else
        p.drawImage(0, 0, m_view->picture());
}

} // namespace tesmaro
