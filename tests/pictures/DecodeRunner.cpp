// Decodes picture files in a process of its own, so that a test can choose how its heap is filled
// (MALLOC_PERTURB_) and read its peak memory. One line per file:
//   "INDEX loaded WxH HASH MS KIB" or "INDEX refused MS KIB"
// HASH: the first 20 hex digits of the SHA-1 of the decoded rows (4 bytes a pixel, no padding);
// MS: milliseconds of the decode; KIB: the peak resident memory during it (VmHWM, reset before).
// With --dump DIR first, each loaded picture is also written to DIR/INDEX.ppm for comparing by hand.
#include "pictures/PictureDecoding.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

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

QByteArray pixelHash(const QImage& picture) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int y = 0; y < picture.height(); ++y)
        hash.addData(
            QByteArrayView(reinterpret_cast<const char*>(picture.constScanLine(y)), picture.width() * 4));
    return hash.result().toHex().left(20);
}

void writePpm(const QImage& picture, const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return;
    f.write(QString("P6\n%1 %2\n255\n").arg(picture.width()).arg(picture.height()).toLatin1());
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(picture.constScanLine(y));
        QByteArray rgb;
        for (int x = 0; x < picture.width(); ++x)
            for (int shift : {16, 8, 0})
                rgb += char(row[x] >> shift);
        f.write(rgb);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int first = 1;
    QString dump;
    if (argc > 2 && std::string(argv[1]) == "--dump") {
        dump = QString::fromLocal8Bit(argv[2]);
        first = 3;
    }
    for (int i = first; i < argc; ++i) {
        std::ofstream("/proc/self/clear_refs") << "5";
        QElapsedTimer clock;
        clock.start();
        const QImage picture = tesmaro::loadPictureFile(QString::fromLocal8Bit(argv[i]));
        const qint64 ms = clock.elapsed();
        if (picture.isNull()) {
            std::printf("%d refused %lld %ld\n", i - first, ms, peakKib());
        } else {
            std::printf("%d loaded %dx%d %s %lld %ld\n", i - first, picture.width(), picture.height(),
                        pixelHash(picture).constData(), ms, peakKib());
            if (!dump.isEmpty())
                writePpm(picture, QString("%1/%2.ppm").arg(dump).arg(i - first));
        }
        std::fflush(stdout);
    }
    return 0;
}
