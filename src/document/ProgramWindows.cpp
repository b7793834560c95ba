#include "document/ProgramWindows.h"

#include "core/PictureLimits.h"

namespace tesmaro {
namespace {

constexpr std::int32_t kWhite = 0xFFFFFF;
// The system highlight-text colour of the standard scheme.
constexpr std::int32_t kHighlightText = 0xFFFFFF;

} // namespace

PictureWindowDesign pictureDesign(WindowId id) {
    switch (id) {
    case WindowId::Picture1:
        return {
            "frmPicture1", "Picture - источник", QRect(4, 23, 392, 526), false, 300, 500, kWhite, 24, 0, 0};
    case WindowId::Picture2:
        return {
            "frmPicture2", "Picture - приемник", QRect(404, 23, 392, 527), false, 300, 500, kWhite, 24, 0, 0};
    case WindowId::Temp:
        return {"frmTemp", "Temp", QRect(-3, 23, 392, 318), true, 393, 273, kWhite, 8, 8, 0};
    case WindowId::MCopy1:
        return {
            "frmMCopy1", "MCopy1 - источник ", QRect(4, 223, 425, 303), false, 369, 249, kHighlightText, 0, 0,
            20};
    case WindowId::MCopy2:
    default:
        return {
            "frmMCopy2", "MCopy2 - приемник", QRect(4, 23, 425, 518), false, 289, 249, kHighlightText, 0, 0,
            20};
    }
}

ImageWindowDesign imageDesign(WindowId id) {
    if (id == WindowId::Image2)
        return {"frmImage2", "Image - приемник", QRect(404, 23, 392, 536), 390, 531};
    return {"frmImage1", "Image - источник", QRect(4, 23, 392, 529), 390, 525};
}

ProgramWindow::ProgramWindow(WindowId id, const QString& title, QObject* parent)
    : QObject(parent), m_id(id), m_title(title) {}

void ProgramWindow::setTitle(const QString& title) {
    if (title == m_title)
        return;
    m_title = title;
    emit titleChanged();
}

void ProgramWindow::setVisible(bool visible) {
    if (visible == m_visible)
        return;
    m_visible = visible;
    emit visibilityChanged();
}

PictureWindow::PictureWindow(WindowId id, QObject* parent)
    : ProgramWindow(id, pictureDesign(id).caption, parent),
      picMain(new Canvas(pictureDesign(id).canvasWidth, pictureDesign(id).canvasHeight,
                         pictureDesign(id).canvasBack, this)),
      scroll(new ScrollBars(this)), m_design(pictureDesign(id)) {}

bool PictureWindow::setScrollMax(int height, int width) {
    // A negative maximum would drag the minimum below 0 with it.
    if (height < 0 || height > kMaxPictureSide || width < 0 || width > kMaxPictureSide)
        return false;
    scroll->setVerticalMaximum(height);
    scroll->setHorizontalMaximum(width);
    return true;
}

ImageWindow::ImageWindow(WindowId id, QObject* parent)
    : ProgramWindow(id, imageDesign(id).caption, parent),
      Image1(new ImageView(imageDesign(id).viewWidth, imageDesign(id).viewHeight, this)),
      m_design(imageDesign(id)) {}

} // namespace tesmaro
