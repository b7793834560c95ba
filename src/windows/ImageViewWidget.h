#pragma once
// An image view on the screen (Image1 of the image windows): draws the document's image view
// (document/ImageView.h) at its own size or stretched to the view's size, and follows its changes.

#include "document/ImageView.h"

#include <QPointer>
#include <QWidget>

namespace tesmaro {

class ImageViewWidget : public QWidget {
    Q_OBJECT
public:
    ImageViewWidget(ImageView& view, QWidget* parent);

    ImageView* view() const { return m_view; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void follow();

    QPointer<ImageView> m_view;
};

} // namespace tesmaro
