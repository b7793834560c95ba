#pragma once
// A desktop portal for the tests, on its own connection to the private session bus: it owns
// org.freedesktop.portal.Desktop and answers Screenshot calls on /org/freedesktop/portal/desktop
// the way the portal documents it (the call returns the Request handle; the result comes as that
// Request's Response signal), or in one of the ways a portal may fail.

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

#include <memory>

namespace tesmaro::testing {

// The Request object of an unanswered call: counts the client's Close.
class FakePortalRequest : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    int closes = 0;
public slots:
    void Close() { ++closes; }
};

class FakePortal : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Screenshot")
public:
    enum class Answer {
        Picture,            // reply with the handle, then Response 0 with uri
        PictureBeforeReply, // Response 0 before the reply reaches the caller
        PictureOnOwnPath,   // as portals before the handle convention: a path of its own
        Refusal,            // Response 1: the user cancelled
        Silence,            // reply, then never a Response
    };

    static inline const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
    static inline const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");

    FakePortal()
        : m_name(QStringLiteral("fake-portal-%1").arg(++s_connections)),
          m_bus(QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), m_name)) {
        m_bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots);
        m_registered = m_bus.registerService(kService);
    }
    ~FakePortal() override {
        m_bus.unregisterObject(kPath);
        if (request)
            m_bus.unregisterObject(m_requestPath);
        m_bus.unregisterService(kService);
        QDBusConnection::disconnectFromBus(m_name);
    }

    // On the bus as the portal.
    bool ready() const { return m_bus.isConnected() && m_registered; }
    // The portal goes away, as if it had never been installed.
    void leaveBus() { m_bus.unregisterService(kService); }
    // A picture file as the portal hands it over.
    void answerWithFile(const QString& path) { uri = QUrl::fromLocalFile(path).toString(); }

    Answer answer = Answer::Picture;
    QString uri;
    int calls = 0;
    QString lastParentWindow;
    QVariantMap lastOptions;
    std::unique_ptr<FakePortalRequest> request; // the Request object of a silent answer

public slots:
    QDBusObjectPath Screenshot(const QString& parentWindow, const QVariantMap& options,
                               const QDBusMessage& call) {
        ++calls;
        lastParentWindow = parentWindow;
        lastOptions = options;
        QString sender = call.service().mid(1);
        sender.replace('.', '_');
        QString handle =
            kPath + "/request/" + sender + "/" + options.value(QStringLiteral("handle_token")).toString();
        switch (answer) {
        case Answer::Picture:
            later(handle, 0);
            break;
        case Answer::PictureBeforeReply:
            call.setDelayedReply(true);
            respond(handle, 0);
            m_bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(handle))));
            break;
        case Answer::PictureOnOwnPath:
            handle = kPath + "/request/portal_chosen/r" + QString::number(calls);
            later(handle, 0);
            break;
        case Answer::Refusal:
            later(handle, 1);
            break;
        case Answer::Silence:
            request = std::make_unique<FakePortalRequest>();
            m_requestPath = handle;
            m_bus.registerObject(handle, request.get(), QDBusConnection::ExportAllSlots);
            break;
        }
        return QDBusObjectPath(handle);
    }

public:
    // The Response signal on a Request object.
    void respond(const QString& handle, uint code) {
        QDBusMessage signal = QDBusMessage::createSignal(
            handle, QStringLiteral("org.freedesktop.portal.Request"), QStringLiteral("Response"));
        QVariantMap results;
        if (code == 0)
            results.insert(QStringLiteral("uri"), uri);
        signal << code << results;
        m_bus.send(signal);
    }
    QString requestPath() const { return m_requestPath; }

private:
    // After the reply has gone out.
    void later(const QString& handle, uint code) {
        QTimer::singleShot(20, this, [this, handle, code] { respond(handle, code); });
    }

    static inline int s_connections = 0;
    QString m_name;
    QDBusConnection m_bus;
    bool m_registered = false;
    QString m_requestPath;
};

} // namespace tesmaro::testing
