#pragma once
// An image window (frmImage1, frmImage2): a plain frame around one image view Image1.
// Nothing reacts to its resizing; a picture larger than the window is cut off.

#include "windows/ImageView.h"

#include <QRect>
#include <QString>
#include <QWidget>

namespace tesmaro {

struct ImageWindowDesign {
    QString objectName;
    QString caption;
    QRect client;
    int viewWidth;
    int viewHeight;
};

class ImageWindow : public QWidget {
    Q_OBJECT
public:
    explicit ImageWindow(const ImageWindowDesign& design);

    ImageView* Image1;

    // Cls of the window itself: clears what was drawn on the window (not the view's picture).
    void cls() { update(); }

protected:
    void closeEvent(QCloseEvent* event) override;
};

} // namespace tesmaro
