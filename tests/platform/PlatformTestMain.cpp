// GoogleTest entry point of the platform tests. A private session bus comes first: Qt connects to
// the session bus once per process, so it must be ours before QApplication exists; the tests put
// a fake desktop portal on it. No service can be started on it by activation, so a real portal of
// the machine never answers in the fake's place.
#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/types.h>

namespace {

class PrivateSessionBus {
public:
    PrivateSessionBus() {
        if (!m_dir.isValid())
            return;
        const QString config = m_dir.filePath("session.conf");
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write(
            QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=%1</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)")
                .arg(m_dir.path())
                .toUtf8());
        file.close();
        // --fork: the daemon goes to the background once it listens, after printing its address
        // and process id, so the pipe ends and the bus is ready.
        const QByteArray command =
            "dbus-daemon --fork --print-address=1 --print-pid=1 --config-file=" + QFile::encodeName(config) +
            " 2>/dev/null";
        FILE* out = popen(command.constData(), "r");
        if (!out)
            return;
        char address[1024] = {}, pid[64] = {};
        const bool read = std::fgets(address, sizeof address, out) && std::fgets(pid, sizeof pid, out);
        pclose(out);
        if (!read)
            return;
        m_pid = QByteArray(pid).trimmed().toLongLong();
        qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray(address).trimmed());
    }
    ~PrivateSessionBus() {
        if (m_pid > 0)
            ::kill(static_cast<pid_t>(m_pid), SIGTERM);
    }

private:
    QTemporaryDir m_dir;
    qint64 m_pid = 0;
};

} // namespace

int main(int argc, char** argv) {
    // Without a bus of our own, none of the machine's: the portal tests then fail, they do not
    // talk to the user's desktop.
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    PrivateSessionBus bus;
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
