// Decodes picture files in a process of its own, so that a test can choose how its heap is filled
// (MALLOC_PERTURB_) and read its peak memory. One line per file:
//   "INDEX loaded WxH HASH MS KIB" or "INDEX refused MS KIB"
// HASH: the first 20 hex digits of the SHA-1 of the decoded rows (4 bytes a pixel, no padding);
// MS: milliseconds of the decode; KIB: the peak resident memory during it (VmHWM, reset before).
#include "pictures/PictureDecoding.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>

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

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    for (int i = 1; i < argc; ++i) {
        std::ofstream("/proc/self/clear_refs") << "5";
        QElapsedTimer clock;
        clock.start();
        const QImage picture = tesmaro::loadPictureFile(QString::fromLocal8Bit(argv[i]));
        const qint64 ms = clock.elapsed();
        if (picture.isNull()) {
            std::printf("%d refused %lld %ld\n", i - 1, ms, peakKib());
        } else {
            std::printf("%d loaded %dx%d %s %lld %ld\n", i - 1, picture.width(), picture.height(),
                        pixelHash(picture).constData(), ms, peakKib());
        }
        std::fflush(stdout);
    }
    return 0;
}
