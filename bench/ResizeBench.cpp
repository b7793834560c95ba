// Times the resize kernels and the whole "MCopy" command against OpenCV on the same sizes, one
// thread each, and prints one ratio line per comparison (ours / OpenCV, lower is better).
//
// The whole-command rows run the real Command13_Click on an offscreen main window (Temp.bmp in,
// TempMC.bmp out) against cv::imread + cv::resize + cv::imwrite of the same files.

#include "core/RandomSequence.h"
#include "core/RasterOp.h"
#include "resize/ResizeCommands.h"
#include "resize/kernels/BandedStretch.h"
#include "resize/kernels/DibResampler.h"
#include "resize/kernels/Mirror.h"
#include "resize/kernels/ParallelRows.h"
#include "resize/kernels/PixelAccessResampler.h"
#include "shell/MainWindow.h"
#include "support/PlatformDoubles.h"
#include "transfer/PictureFiles.h"
#include "windows/Windows.h"

#include <QApplication>
#include <QImage>

#include <opencv2/core.hpp>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using namespace tesmaro;

constexpr int kRuns = 7;
constexpr int kCommandRuns = 5;

double medianMs(int runs, const std::function<void()>& work) {
    work(); // warm caches and allocations
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

void report(const std::string& what, const std::string& sizes, double ours, const std::string& theirs,
            double cv, double target) {
    const double ratio = ours / cv;
    std::printf("%-28s %-22s ours %8.2f ms   %-34s %8.2f ms   ratio %5.2f  (target <= %.1f: %s)\n",
                what.c_str(), sizes.c_str(), ours, theirs.c_str(), cv, ratio, target,
                ratio <= target ? "met" : "MISSED");
}

// A picture with smooth areas, edges and noise, the same for every run.
QImage testPicture(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    std::mt19937 gen(42);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const unsigned noise = gen() & 0x0F0F0F;
            const unsigned r = (x * 255 / w) & 0xF0, g = (y * 255 / h) & 0xF0, b = ((x ^ y) >> 3) & 0xF0;
            row[x] = 0xFF000000u | ((r << 16 | g << 8 | b) + noise);
        }
    }
    return img;
}

cv::Mat asMat(const QImage& rgb32) {
    cv::Mat bgra(rgb32.height(), rgb32.width(), CV_8UC4, const_cast<uchar*>(rgb32.constBits()),
                 static_cast<size_t>(rgb32.bytesPerLine()));
    cv::Mat bgr;
    cv::cvtColor(bgra, bgr, cv::COLOR_BGRA2BGR);
    return bgr;
}

ConstRasterView viewOf(const QImage& img) {
    return {reinterpret_cast<const std::uint32_t*>(img.constBits()), img.width(), img.height(),
            static_cast<int>(img.bytesPerLine() / 4)};
}

RasterView viewOf(QImage& img) {
    return {reinterpret_cast<std::uint32_t*>(img.bits()), img.width(), img.height(),
            static_cast<int>(img.bytesPerLine() / 4)};
}

void kernelRows(int sw, int sh, int dw, int dh) {
    const std::string sizes = std::to_string(sw) + "x" + std::to_string(sh) + " -> " + std::to_string(dw) +
                              "x" + std::to_string(dh);
    const QImage source = testPicture(sw, sh);
    QImage dest(dw, dh, QImage::Format_RGB32);
    dest.fill(0xFFFFFFFFu);
    const cv::Mat cvSource = asMat(source);
    cv::Mat cvDest, cvTemp, cvAnd(dh, dw, CV_8UC3, cv::Scalar(255, 255, 255));

    const double linear =
        medianMs(kRuns, [&] { cv::resize(cvSource, cvDest, cv::Size(dw, dh), 0, 0, cv::INTER_LINEAR); });
    for (float r : {0.0f, 5.0f}) {
        resize::ResampleSettings s;
        s.width = dw;
        s.height = dh;
        s.randomPercent = r;
        const double vb = medianMs(kRuns, [&] {
            RandomSequence rnd;
            resize::resampleByPixelAccess(viewOf(source), viewOf(dest), s, rnd, 1, {});
        });
        report(r == 0 ? "XY VB r=0" : "XY VB r=5", sizes, vb, "cv::resize INTER_LINEAR", linear,
               r == 0 ? 2 : 3);
        const double api = medianMs(kRuns, [&] {
            RandomSequence rnd;
            resize::resampleByDib(viewOf(source), viewOf(dest), s, rnd, 1, {});
        });
        report(r == 0 ? "XY API r=0" : "XY API r=5", sizes, api, "cv::resize INTER_LINEAR", linear,
               r == 0 ? 2 : 3);
    }

    const resize::PixelRect to{0, 0, dw, dh}, from{0, 0, sw, sh};
    const double copyPass =
        medianMs(kRuns, [&] { resize::stretchInBands(viewOf(dest), to, viewOf(source), from, SRCCOPY, 1); });
    const double andPass =
        medianMs(kRuns, [&] { resize::stretchInBands(viewOf(dest), to, viewOf(source), from, SRCAND, 1); });
    const double cvPass = medianMs(kRuns, [&] {
        cv::resize(cvSource, cvTemp, cv::Size(dw, dh), 0, 0, cv::INTER_NEAREST);
        cv::bitwise_and(cvAnd, cvTemp, cvAnd);
    });
    report("All: main copy pass", sizes, copyPass, "INTER_NEAREST + bitwise_and", cvPass, 1);
    report("All: And+ overlay pass", sizes, andPass, "INTER_NEAREST + bitwise_and", cvPass, 1);
    report("All: whole mode (4 passes)", sizes, copyPass + 3 * andPass, "4 x (INTER_NEAREST + and)",
           4 * cvPass, 1);

    QImage mirrored = source.copy();
    const double mirror = medianMs(kRuns, [&] {
        const RasterView v = viewOf(mirrored);
        for (int y = 0; y < v.height; ++y)
            resize::mirrorRow(v.row(y), v.width);
    });
    const double flip = medianMs(kRuns, [&] { cv::flip(cvSource, cvTemp, 1); });
    report("Реверс", std::to_string(sw) + "x" + std::to_string(sh), mirror, "cv::flip", flip, 1);
}

void commandRows(int sw, int sh, int dw, int dh) {
    const std::string sizes = std::to_string(sw) + "x" + std::to_string(sh) + " -> " + std::to_string(dw) +
                              "x" + std::to_string(dh);
    testing::FakePlatform fake;
    auto w = std::make_unique<MainWindow>();
    const QString temp = fake.filePath("Temp.bmp");
    saveBmpFile(testPicture(sw, sh), temp);
    w->Text17->setText(QString::number(dh));
    w->Text18->setText(QString::number(dw));
    const std::string tempPath = temp.toStdString(), cvOut = fake.filePath("TempCV.bmp").toStdString();

    struct Mode {
        const char* name;
        QRadioButton* option;
        int interpolation;
        const char* theirs;
    } modes[] = {
        {"MCopy All (command)", w->Option9, cv::INTER_NEAREST, "imread+resize NEAREST+imwrite"},
        {"MCopy XY VB r=0 (command)", w->Option10, cv::INTER_LINEAR, "imread+resize LINEAR+imwrite"},
        {"MCopy XY API r=0 (command)", w->Option28, cv::INTER_LINEAR, "imread+resize LINEAR+imwrite"}};
    for (const Mode& m : modes) {
        m.option->setChecked(true);
        const double ours = medianMs(kCommandRuns, [&] { resize::Command13_Click(*w); });
        if (!fake.messages.shown.empty()) {
            std::printf("%s failed: %s\n", m.name, fake.messages.shown.front().text.toStdString().c_str());
            return;
        }
        const double cv = medianMs(kCommandRuns, [&] {
            const cv::Mat in = cv::imread(tempPath, cv::IMREAD_COLOR);
            cv::Mat out;
            cv::resize(in, out, cv::Size(dw, dh), 0, 0, m.interpolation);
            cv::imwrite(cvOut, out);
        });
        report(m.name, sizes, ours, m.theirs, cv, 1.5);
    }
    w.reset();
    for (auto id : {windows::Id::Temp, windows::Id::MCopy1, windows::Id::MCopy2})
        windows::unload(id);
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    cv::setNumThreads(1);
    resize::setResizeThreadCount(1);
    std::printf("Median of %d runs (%d for whole commands), one thread each; ratio = ours / OpenCV.\n", kRuns,
                kCommandRuns);
    for (auto [sw, sh, dw, dh] : {std::array{3840, 2160, 2560, 1440}, std::array{1920, 1080, 3840, 2160}})
        kernelRows(sw, sh, dw, dh);
    for (auto [sw, sh, dw, dh] : {std::array{3840, 2160, 2560, 1440}, std::array{1920, 1080, 3840, 2160}})
        commandRows(sw, sh, dw, dh);
    return 0;
}
