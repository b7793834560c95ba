#include "document/Document.h"

#include "core/PictureLimits.h"

namespace tesmaro {
namespace {

// The draft pad: 300 x 150 pixels in the system highlight-text colour (white); its bars scroll
// over the whole 16-bit range until the first transfer into it.
constexpr int kPadWidth = 300;
constexpr int kPadHeight = 150;
constexpr std::int32_t kPadBack = 0xFFFFFF;
// The swatch and the line-width preview, in the button face colour.
constexpr int kSwatchSide = 24;
constexpr int kPreviewSide = 18;
constexpr std::int32_t kButtonFace = 0xF0F0F0;

} // namespace

Document::Document()
    : m_pad(new Canvas(kPadWidth, kPadHeight, kPadBack, this)), m_padScroll(new ScrollBars(this)),
      m_swatch(new Canvas(kSwatchSide, kSwatchSide, kButtonFace, this)),
      m_widthPreview(new Canvas(kPreviewSide, kPreviewSide, kButtonFace, this)) {
    m_padScroll->setVerticalRange(0, kMaxPictureSide);
    m_padScroll->setHorizontalRange(0, kMaxPictureSide);
}

Document::~Document() {
    setCanvasWatcher(nullptr);
    discardAll();
}

PictureWindow& Document::pictureWindow(WindowId id) {
    Q_ASSERT(!isImageWindow(id));
    QPointer<ProgramWindow>& w = slot(id);
    if (!w) {
        auto* created = new PictureWindow(id, this);
        created->picMain->setWatcher(m_watcher);
        w = created;
        emit windowCreated(id);
    }
    return static_cast<PictureWindow&>(*w);
}

ImageWindow& Document::imageWindow(WindowId id) {
    Q_ASSERT(isImageWindow(id));
    QPointer<ProgramWindow>& w = slot(id);
    if (!w) {
        w = new ImageWindow(id, this);
        emit windowCreated(id);
    }
    return static_cast<ImageWindow&>(*w);
}

ProgramWindow& Document::window(WindowId id) {
    if (isImageWindow(id))
        return imageWindow(id);
    return pictureWindow(id);
}

bool Document::exists(WindowId id) const {
    return !m_windows[static_cast<std::size_t>(id)].isNull();
}

ProgramWindow* Document::existingWindow(WindowId id) const {
    return m_windows[static_cast<std::size_t>(id)].data();
}

Canvas* Document::existingCanvas(WindowId id) const {
    if (isImageWindow(id) || !exists(id))
        return nullptr;
    return static_cast<PictureWindow*>(existingWindow(id))->picMain;
}

void Document::discard(WindowId id) {
    QPointer<ProgramWindow>& w = slot(id);
    if (!w)
        return;
    emit windowDiscarded(id);
    ProgramWindow* gone = w.data();
    w = nullptr;
    delete gone;
}

void Document::discardAll() {
    for (WindowId id : kEveryWindow)
        discard(id);
}

void Document::setLabelFont(const QFont& font) {
    m_label.font = font;
    emit labelFieldChanged();
}

void Document::setLabelColour(std::int32_t colour) {
    m_label.colour = colour;
    emit labelFieldChanged();
}

void Document::setFrontEnd(FrontEnd* front) {
    m_front = front ? front : &m_silentFront;
}

void Document::setCanvasWatcher(CanvasWatcher* watcher) {
    m_watcher = watcher;
    m_pad->setWatcher(watcher);
    for (WindowId id : kEveryWindow)
        if (Canvas* canvas = existingCanvas(id))
            canvas->setWatcher(watcher);
}

} // namespace tesmaro
