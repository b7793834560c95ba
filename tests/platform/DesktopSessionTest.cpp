// Which platform plugin the program chooses in which session, before QApplication exists.
#include "platform/qt/DesktopSession.h"

#include <QByteArray>
#include <gtest/gtest.h>

#include <optional>

namespace tesmaro {
namespace {

// Sets the three variables for the scope of one case and puts the old values back after it.
class SessionVariables {
public:
    SessionVariables(const char* wayland, const char* display, const char* platform) {
        for (const char* name : kNames)
            m_saved.push_back(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
        set("WAYLAND_DISPLAY", wayland);
        set("DISPLAY", display);
        set("QT_QPA_PLATFORM", platform);
    }
    ~SessionVariables() {
        for (std::size_t i = 0; i < std::size(kNames); ++i)
            set(kNames[i], m_saved[i] ? m_saved[i]->constData() : nullptr);
    }

private:
    static void set(const char* name, const char* value) {
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }
    static constexpr const char* kNames[] = {"WAYLAND_DISPLAY", "DISPLAY", "QT_QPA_PLATFORM"};
    std::vector<std::optional<QByteArray>> m_saved;
};

TEST(DesktopSession, XWaylandIsPreferredUnlessThePlatformWasChosen) {
    struct Case {
        const char *wayland, *display, *platform, *chosen;
    } cases[] = {
        {"wayland-0", ":0", nullptr, "xcb"},       // XWayland there: use it
        {"wayland-0", ":0", "", "xcb"},            // an empty choice is no choice
        {"wayland-0", ":0", "wayland", "wayland"}, // the user's choice stands
        {"wayland-0", nullptr, nullptr, nullptr},  // no XWayland: Qt's own default
        {nullptr, ":0", nullptr, nullptr},         // plain X11 session: nothing to do
        {"", ":0", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("WAYLAND_DISPLAY=") + (c.wayland ? c.wayland : "(unset)") +
                     " DISPLAY=" + (c.display ? c.display : "(unset)") +
                     " QT_QPA_PLATFORM=" + (c.platform ? c.platform : "(unset)"));
        SessionVariables session(c.wayland, c.display, c.platform);
        EXPECT_EQ(isWaylandSession(), c.wayland && *c.wayland);
        preferXWayland();
        const char* expected = c.chosen ? c.chosen : (c.platform ? c.platform : "");
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray(expected));
    }
}

} // namespace
} // namespace tesmaro
