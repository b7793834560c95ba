#include "platform/qt/PortalScreenshot.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QImageReader>
#include <QRandomGenerator>
#include <QTimer>
#include <QUrl>
#include <QVariantMap>

namespace tesmaro {
namespace {

const QString kPortalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPortalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kScreenshotInterface = QStringLiteral("org.freedesktop.portal.Screenshot");
const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
constexpr uint kResponseSuccess = 0;

QImage readPicture(const QVariantMap& results) {
    const QUrl uri(results.value(QStringLiteral("uri")).toString());
    if (!uri.isLocalFile())
        return {};
    QImageReader reader(uri.toLocalFile());
    // A screen-sized picture is larger than Qt's default allocation limit for one image.
    reader.setAllocationLimit(0);
    QImage picture = reader.read().convertToFormat(QImage::Format_RGB32);
    // The file's pixels are device pixels; a ratio guessed from its name must not scale them.
    picture.setDevicePixelRatio(1);
    return picture;
}

// One request, from the call to its answer; it deletes itself once done has been called.
class PortalRequest : public QObject {
    Q_OBJECT
public:
    PortalRequest(const QDBusConnection& bus, int timeoutMs, std::function<void(QImage)> done)
        : m_bus(bus), m_done(std::move(done)) {
        m_timer.setSingleShot(true);
        m_timer.setInterval(timeoutMs);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            closeRequest();
            finish({});
        });
    }

    void start() {
        if (!m_bus.isConnected()) {
            // done never runs before grab returns.
            QTimer::singleShot(0, this, [this] { finish({}); });
            return;
        }
        // The handle is predictable from our unique name and the token, so the answer can be
        // listened for before the call: a portal may answer before its reply reaches us.
        const QString token = QStringLiteral("tesmaro5_%1")
                                  .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'));
        QString sender = m_bus.baseService().mid(1);
        sender.replace(QLatin1Char('.'), QLatin1Char('_'));
        listenOn(kPortalPath + QStringLiteral("/request/") + sender + QLatin1Char('/') + token);

        QDBusMessage call = QDBusMessage::createMethodCall(kPortalService, kPortalPath, kScreenshotInterface,
                                                           QStringLiteral("Screenshot"));
        QVariantMap options;
        options.insert(QStringLiteral("handle_token"), token);
        options.insert(QStringLiteral("interactive"), false);
        call << QString() << options;
        m_timer.start();
        auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, m_timer.interval()), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusPendingReply<QDBusObjectPath> reply = *w;
            if (reply.isError()) {
                finish({});
                return;
            }
            // Portals older than the handle convention choose their own path.
            if (reply.value().path() != m_handle)
                listenOn(reply.value().path());
        });
    }

private slots:
    void onResponse(uint response, const QVariantMap& results) {
        finish(response == kResponseSuccess ? readPicture(results) : QImage());
    }

private:
    void listenOn(const QString& handle) {
        if (!m_handle.isEmpty())
            m_bus.disconnect(kPortalService, m_handle, kRequestInterface, QStringLiteral("Response"), this,
                             SLOT(onResponse(uint, QVariantMap)));
        m_handle = handle;
        m_bus.connect(kPortalService, m_handle, kRequestInterface, QStringLiteral("Response"), this,
                      SLOT(onResponse(uint, QVariantMap)));
    }

    // Ends the portal's side of a request we no longer wait for.
    void closeRequest() {
        if (!m_handle.isEmpty())
            m_bus.send(QDBusMessage::createMethodCall(kPortalService, m_handle, kRequestInterface,
                                                      QStringLiteral("Close")));
    }

    void finish(const QImage& picture) {
        if (!m_done)
            return; // answered already: a late signal or reply after the time-out
        m_timer.stop();
        if (!m_handle.isEmpty())
            m_bus.disconnect(kPortalService, m_handle, kRequestInterface, QStringLiteral("Response"), this,
                             SLOT(onResponse(uint, QVariantMap)));
        const std::function<void(QImage)> done = std::move(m_done);
        m_done = nullptr;
        deleteLater();
        done(picture);
    }

    QDBusConnection m_bus;
    std::function<void(QImage)> m_done;
    QTimer m_timer;
    QString m_handle;
};

} // namespace

PortalScreenshot::PortalScreenshot(const QDBusConnection& bus) : m_bus(bus) {}

void PortalScreenshot::grab(std::function<void(QImage)> done) {
    auto* request =
        new PortalRequest(m_bus ? *m_bus : QDBusConnection::sessionBus(), m_timeoutMs, std::move(done));
    request->start();
}

PortalScreenshot& portalScreenshot() {
    static PortalScreenshot portal;
    return portal;
}

} // namespace tesmaro

#include "PortalScreenshot.moc"
