// A started program in a process of its own, for the tests that need one: each file named on the
// command line is loaded as the open dialog's choice (or put on the clipboard as encoded bytes)
// and "Загрузить " clicked; one line per file tells what the load gave and what it cost.
//
//   shell_load_runner picture|image|clipboard|decode FILE...
//     picture, image: the file chosen in the open dialog, loaded into frmPicture1 or frmImage1;
//     clipboard: the file's bytes on the clipboard as "image/png", loaded into frmPicture1;
//     decode: loadPictureFile alone, without the command (for pictures too large for a window).
//
// Output: "baseline KIB" (the peak resident memory after start-up), then per file
// "INDEX loaded WxH HASH MS KIB" or "INDEX refused MS KIB" or "INDEX message TEXT", where HASH is a
// hash of the pixels the load kept (Temp.bmp's bytes; the decoded picture for decode), MS the
// milliseconds the click took and KIB the peak resident memory while loading that file.
#include "pictures/PictureDecoding.h"
#include "shell/MainWindow.h"
#include "support/PlatformDoubles.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QtEndian>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

namespace {

using namespace tesmaro;
using namespace tesmaro::testing;

const QString kLoadFailed = QStringLiteral("ошибка при загрузке рисунка");

// Peak resident memory of this process in KiB (VmHWM).
long peakKib() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmHWM:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1;
}

// Starts the peak over from the present resident memory.
void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray pixelHash(const QImage& picture) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int y = 0; y < picture.height(); ++y)
        hash.addData(
            QByteArrayView(reinterpret_cast<const char*>(picture.constScanLine(y)), picture.width() * 4));
    return hash.result().toHex().left(20);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s picture|image|clipboard|decode FILE...\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    FakePlatform fake;
    auto main = std::make_unique<MainWindow>();
    const QString temp = fake.filePath("Temp.bmp");
    std::printf("baseline %ld\n", peakKib());
    for (int i = 2; i < argc; ++i) {
        const QString path = QString::fromLocal8Bit(argv[i]);
        fake.messages.shown.clear();
        QFile::remove(temp);
        resetPeak();
        QElapsedTimer clock;
        clock.start();
        if (mode == "decode") {
            const QImage picture = loadPictureFile(path);
            const qint64 ms = clock.elapsed();
            if (picture.isNull())
                std::printf("%d refused %lld %ld\n", i - 1, ms, peakKib());
            else
                std::printf("%d loaded %dx%d %s %lld %ld\n", i - 1, picture.width(), picture.height(),
                            pixelHash(picture).constData(), ms, peakKib());
            std::fflush(stdout);
            continue;
        }
        main->Check6->setChecked(mode == "clipboard");
        (mode == "image" ? main->Option1 : main->Option2)->setChecked(true);
        if (mode == "clipboard")
            fake.clipboard.encoded = {"image/png", fileBytes(path)};
        else
            fake.files.answer = {OpenFileResult::Outcome::Chosen, path};
        main->Command1->click();
        const qint64 ms = clock.elapsed();
        const long kib = peakKib();
        if (fake.messages.shown.empty()) {
            const QByteArray kept = fileBytes(temp);
            const auto field = [&kept](int at) {
                return kept.size() < at + 4 ? -1 : qFromLittleEndian<qint32>(kept.constData() + at);
            };
            std::printf("%d loaded %dx%d %s %lld %ld\n", i - 1, field(18), field(22),
                        QCryptographicHash::hash(kept, QCryptographicHash::Sha1).toHex().left(20).constData(),
                        ms, kib);
        } else if (fake.messages.shown.size() == 1 && fake.messages.shown[0].text == kLoadFailed) {
            std::printf("%d refused %lld %ld\n", i - 1, ms, kib);
        } else {
            std::printf("%d message %s\n", i - 1, fake.messages.texts().join(" / ").toUtf8().constData());
        }
        std::fflush(stdout);
    }
    for (WindowId id : {WindowId::Image1, WindowId::Picture1})
        main->document().discard(id);
    main.reset();
    return 0;
}
