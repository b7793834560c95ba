#include "windows/Windows.h"

#include <QPointer>

#include <array>
#include <map>
#include <utility>

namespace tesmaro::windows {
namespace {

constexpr std::int32_t kWhite = 0xFFFFFF;
// The system highlight-text colour of the standard scheme.
constexpr std::int32_t kHighlightText = 0xFFFFFF;

std::array<QPointer<QWidget>, 7> g_windows;
std::map<int, std::function<void(Id, QWidget*)>> g_listeners;
int g_lastListener = 0;

bool alive(const QPointer<QWidget>& w) {
    return w && !w->property("unloaded").toBool();
}

template <typename W, typename Design> W* get(Id id, Design (*design)(Id)) {
    auto& slot = g_windows[static_cast<std::size_t>(id)];
    if (!alive(slot)) {
        slot = new W(design(id));
        // A listener may add or remove listeners: call a copy.
        const auto listeners = g_listeners;
        for (const auto& [key, onCreated] : listeners)
            onCreated(id, slot.data());
    }
    return static_cast<W*>(slot.data());
}

} // namespace

PictureWindowDesign pictureDesign(Id id) {
    switch (id) {
    case Id::Picture1:
        return {
            "frmPicture1", "Picture - источник", QRect(4, 23, 392, 526), false, 300, 500, kWhite, 24, 0, 0};
    case Id::Picture2:
        return {
            "frmPicture2", "Picture - приемник", QRect(404, 23, 392, 527), false, 300, 500, kWhite, 24, 0, 0};
    case Id::Temp:
        return {"frmTemp", "Temp", QRect(-3, 23, 392, 318), true, 393, 273, kWhite, 8, 8, 0};
    case Id::MCopy1:
        return {
            "frmMCopy1", "MCopy1 - источник ", QRect(4, 223, 425, 303), false, 369, 249, kHighlightText, 0, 0,
            20};
    case Id::MCopy2:
    default:
        return {
            "frmMCopy2", "MCopy2 - приемник", QRect(4, 23, 425, 518), false, 289, 249, kHighlightText, 0, 0,
            20};
    }
}

ImageWindowDesign imageDesign(Id id) {
    if (id == Id::Image2)
        return {"frmImage2", "Image - приемник", QRect(404, 23, 392, 536), 390, 531};
    return {"frmImage1", "Image - источник", QRect(4, 23, 392, 529), 390, 525};
}

ImageWindow* frmImage1() {
    return get<ImageWindow>(Id::Image1, imageDesign);
}
ImageWindow* frmImage2() {
    return get<ImageWindow>(Id::Image2, imageDesign);
}
PictureWindow* frmPicture1() {
    return get<PictureWindow>(Id::Picture1, pictureDesign);
}
PictureWindow* frmPicture2() {
    return get<PictureWindow>(Id::Picture2, pictureDesign);
}
PictureWindow* frmTemp() {
    return get<PictureWindow>(Id::Temp, pictureDesign);
}
PictureWindow* frmMCopy1() {
    return get<PictureWindow>(Id::MCopy1, pictureDesign);
}
PictureWindow* frmMCopy2() {
    return get<PictureWindow>(Id::MCopy2, pictureDesign);
}

CreationListener::CreationListener(std::function<void(Id, QWidget*)> onCreated) : m_id(++g_lastListener) {
    g_listeners.emplace(m_id, std::move(onCreated));
}

CreationListener::~CreationListener() {
    if (m_id)
        g_listeners.erase(m_id);
}

CreationListener::CreationListener(CreationListener&& other) noexcept : m_id(std::exchange(other.m_id, 0)) {}

CreationListener& CreationListener::operator=(CreationListener&& other) noexcept {
    if (this != &other) {
        if (m_id)
            g_listeners.erase(m_id);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

Canvas* existingCanvas(Id id) {
    if (id == Id::Image1 || id == Id::Image2 || !exists(id))
        return nullptr;
    return static_cast<PictureWindow*>(g_windows[static_cast<std::size_t>(id)].data())->picMain;
}

bool exists(Id id) {
    return alive(g_windows[static_cast<std::size_t>(id)]);
}

void unload(Id id) {
    auto& slot = g_windows[static_cast<std::size_t>(id)];
    if (!alive(slot))
        return;
    slot->hide();
    slot->setProperty("unloaded", true);
    slot->deleteLater();
    slot = nullptr;
}

void unloadAll() {
    for (Id id : kEveryWindow)
        unload(id);
}

} // namespace tesmaro::windows
