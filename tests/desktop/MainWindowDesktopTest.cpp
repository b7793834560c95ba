// The real program on a real X server (Xvfb with a window manager, see with-xvfb): the main
// window maps with its caption, size and icon; "Выход" ends the process; so does the window
// manager's close, at once when nothing else is shown, or after the last shown window.
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QThread>
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

const QString kCaption = QStringLiteral("Tesmaro5   MCopy") + QString(66, ' ') + QStringLiteral("Tesmaro5") +
                         QString(10, ' ') + QStringLiteral("Редактор");

// Polls until the condition holds or the time is up; true when it held.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        QThread::msleep(25);
    }
    return true;
}

// The few questions the test asks the X server, through its own connection.
class X11 {
public:
    X11() : m_c(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(m_c) == 0)
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_c)).data->root;
    }
    ~X11() { xcb_disconnect(m_c); }
    bool ok() const { return m_root != 0; }

    // Managed windows of the process, from the window manager's client list.
    std::vector<xcb_window_t> windowsOf(qint64 pid) {
        std::vector<xcb_window_t> result;
        for (xcb_window_t w : cardinals<xcb_window_t>(m_root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW)) {
            const auto p = cardinals<std::uint32_t>(w, "_NET_WM_PID", XCB_ATOM_CARDINAL);
            if (!p.empty() && p.front() == pid)
                result.push_back(w);
        }
        return result;
    }
    std::size_t managedCount() {
        return cardinals<xcb_window_t>(m_root, "_NET_CLIENT_LIST", XCB_ATOM_WINDOW).size();
    }
    bool wmRunning() {
        return !cardinals<xcb_window_t>(m_root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW).empty();
    }
    std::optional<xcb_window_t> windowTitled(qint64 pid, const QString& title) {
        for (xcb_window_t w : windowsOf(pid))
            if (this->title(w) == title)
                return w;
        return std::nullopt;
    }
    QString title(xcb_window_t w) {
        const std::string bytes = property(w, "_NET_WM_NAME", atom("UTF8_STRING"), 8);
        return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    bool viewable(xcb_window_t w) {
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&std::free)> a(
            xcb_get_window_attributes_reply(m_c, xcb_get_window_attributes(m_c, w), nullptr), &std::free);
        return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    }
    // The client area: its position on the screen and its size.
    QRect clientArea(xcb_window_t w) {
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> g(
            xcb_get_geometry_reply(m_c, xcb_get_geometry(m_c, w), nullptr), &std::free);
        std::unique_ptr<xcb_translate_coordinates_reply_t, decltype(&std::free)> t(
            xcb_translate_coordinates_reply(m_c, xcb_translate_coordinates(m_c, w, m_root, 0, 0), nullptr),
            &std::free);
        if (!g || !t)
            return {};
        return QRect(t->dst_x, t->dst_y, g->width, g->height);
    }
    // Sizes of the icons the window offers (_NET_WM_ICON: width, height, pixels, ...).
    std::vector<QSize> iconSizes(xcb_window_t w) {
        const auto data = cardinals<std::uint32_t>(w, "_NET_WM_ICON", XCB_ATOM_CARDINAL);
        std::vector<QSize> sizes;
        for (std::size_t i = 0; i + 1 < data.size();) {
            sizes.emplace_back(static_cast<int>(data[i]), static_cast<int>(data[i + 1]));
            i += 2 + static_cast<std::size_t>(data[i]) * data[i + 1];
        }
        return sizes;
    }
    // The window manager's close, as its close box or a task bar does it.
    void close(xcb_window_t w) {
        xcb_client_message_event_t e{};
        e.response_type = XCB_CLIENT_MESSAGE;
        e.format = 32;
        e.window = w;
        e.type = atom("_NET_CLOSE_WINDOW");
        e.data.data32[0] = XCB_CURRENT_TIME;
        e.data.data32[1] = 2; // from a pager: always honoured
        xcb_send_event(m_c, 0, m_root,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&e));
        xcb_flush(m_c);
    }

private:
    xcb_atom_t atom(const char* name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> r(
            xcb_intern_atom_reply(
                m_c, xcb_intern_atom(m_c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr),
            &std::free);
        return r ? r->atom : XCB_ATOM_NONE;
    }
    std::string property(xcb_window_t w, const char* name, xcb_atom_t type, int format) {
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> r(
            xcb_get_property_reply(m_c, xcb_get_property(m_c, 0, w, atom(name), type, 0, 1 << 20), nullptr),
            &std::free);
        if (!r || r->format != format)
            return {};
        const auto* bytes = static_cast<const char*>(xcb_get_property_value(r.get()));
        return std::string(bytes, static_cast<std::size_t>(xcb_get_property_value_length(r.get())));
    }
    template <typename T> std::vector<T> cardinals(xcb_window_t w, const char* name, xcb_atom_t type) {
        const std::string bytes = property(w, name, type, 32);
        std::vector<T> values(bytes.size() / sizeof(std::uint32_t));
        for (std::size_t i = 0; i < values.size(); ++i) {
            std::uint32_t v;
            std::memcpy(&v, bytes.data() + i * sizeof v, sizeof v);
            values[i] = static_cast<T>(v);
        }
        return values;
    }

    xcb_connection_t* m_c;
    xcb_window_t m_root = 0;
};

class ProgramOnTheDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(x.ok()) << "no X display";
        const QString binary = qEnvironmentVariable("TESMARO_BINARY");
        ASSERT_FALSE(binary.isEmpty()) << "TESMARO_BINARY is not set";
        program.setProgram(binary);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start();
        ASSERT_TRUE(program.waitForStarted(10000)) << program.errorString().toStdString();
        ASSERT_TRUE(waitUntil([&] {
            main = x.windowTitled(program.processId(), kCaption);
            return main && x.viewable(*main);
        })) << "the main window did not map with its caption; program "
            << program.state()
            << ", its windows: " << describe(x.windowsOf(program.processId())).toStdString();
    }
    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
    }
    QString describe(const std::vector<xcb_window_t>& windows) {
        QStringList titles;
        for (xcb_window_t w : windows)
            titles << QString("%1 \"%2\"%3").arg(w).arg(x.title(w), x.viewable(w) ? "" : " (not viewable)");
        return titles.isEmpty() ? "none" : titles.join(", ");
    }
    // A left click at a point of the main window's client area.
    void clickAt(QPoint inWindow) {
        const QRect area = x.clientArea(*main);
        const QPoint p = area.topLeft() + inWindow;
        ASSERT_EQ(QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(p.x()),
                                                QString::number(p.y()), "click", "1"}),
                  0);
    }
    // Centre of a control given in twips, as the window design places it.
    static QPoint centreOf(int left, int top, int width, int height) {
        return QPoint((left + width / 2) / 15, (top + height / 2) / 15);
    }
    void expectCleanEnd() {
        ASSERT_TRUE(program.waitForFinished(5000)) << "the program is still running";
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
    }

    X11 x;
    QProcess program;
    std::optional<xcb_window_t> main;
};

TEST_F(ProgramOnTheDesktop, MainWindowMapsWithCaptionSizeAndIconAndExitsOnВыход) {
    EXPECT_EQ(x.title(*main).size(), 108);
    EXPECT_EQ(x.clientArea(*main).size(), QSize(792, 226));
    const std::vector<QSize> icons = x.iconSizes(*main);
    EXPECT_NE(std::find(icons.begin(), icons.end(), QSize(32, 32)), icons.end()) << "no 32 x 32 icon";

    clickAt(centreOf(4470, 2820, 855, 255)); // Command4 "Выход"
    expectCleanEnd();
}

TEST_F(ProgramOnTheDesktop, CloseBoxEndsTheProgram) {
    x.close(*main);
    expectCleanEnd();
}

TEST_F(ProgramOnTheDesktop, CloseBoxLeavesTheHelpWindowOpenUntilItIsClosed) {
    clickAt(centreOf(1920, 1365, 855, 255)); // Command6 "About"
    std::optional<xcb_window_t> help;
    ASSERT_TRUE(waitUntil([&] {
        for (xcb_window_t w : x.windowsOf(program.processId()))
            if (w != *main && x.viewable(w))
                help = w;
        return help.has_value();
    })) << "the help window did not appear";

    x.close(*main);
    ASSERT_TRUE(waitUntil([&] { return !x.viewable(*main); })) << "the main window stayed";
    EXPECT_FALSE(program.waitForFinished(300)) << "the program ended with the help window on the screen";
    EXPECT_TRUE(x.viewable(*help));

    x.close(*help);
    expectCleanEnd();
}

TEST_F(ProgramOnTheDesktop, CommandsThatHideTheMainWindowBringItBackInItsPlace) {
    const QPoint before = x.clientArea(*main).topLeft();
    clickAt(centreOf(120, 630, 1335, 255)); // Command3 "Копировать из ": hides, copies, shows again
    ASSERT_TRUE(waitUntil([&] {
        return x.windowTitled(program.processId(), "Picture - приемник").has_value();
    })) << "the copy did not show its destination";
    ASSERT_TRUE(waitUntil([&] { return x.viewable(*main); })) << "the main window did not come back";
    EXPECT_EQ(x.clientArea(*main).topLeft(), before);
}

} // namespace
