// Times the resize kernels and the whole "MCopy" command against OpenCV on the same sizes, one
// thread each, and prints one ratio line per comparison (ours / OpenCV, lower is better). For the
// kernels it also shows how far they are from a plain read+write pass over the same rasters, and
// what all the machine's threads give against one. The memory rows time the 4K "MCopy" with the
// raster memory touching ahead and without, and show the resident memory after it and once idle.
// The zoom rows repaint a window of a large picture at three zooms beside a plain blit.
// "kernels", "commands", "memory" or "zoom" runs only those rows.
//
// Each comparison runs ours and OpenCV in turns and takes the median of each, so both see the
// same machine load. The whole-command rows run the "MCopy" command through the command runner
// on a document without the control panel (Temp.bmp in, TempMC.bmp out, one undo step recorded)
// against cv::imread + cv::resize + cv::imwrite of the same files; the two file-function rows
// before them show how much of that is reading and writing. After each command the cost of its
// undo step is shown: the command run without recording, and the undo and redo of the step.

#include "core/RandomSequence.h"
#include "core/RasterMemory.h"
#include "core/RasterOp.h"
#include "pictures/BmpFile.h"
#include "pictures/PictureDecoding.h"
#include "pictures/RasterImage.h"
#include "resize/ResizeCommands.h"
#include "resize/kernels/BandedStretch.h"
#include "resize/kernels/DibResampler.h"
#include "resize/kernels/FusedStretch.h"
#include "resize/kernels/Mirror.h"
#include "resize/kernels/ParallelRows.h"
#include "resize/kernels/PixelAccessResampler.h"
#include "resize/kernels/RowLoops.h"
#include "support/PlatformDoubles.h"
#include "support/StandaloneDocument.h"
#include "transfer/TransferCommands.h"
#include "windows/ZoomedPaint.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <opencv2/core.hpp>
#include <opencv2/core/utility.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <sys/prctl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tesmaro;

constexpr int kRuns = 9;
constexpr int kCommandRuns = 5;

struct Timing {
    double ours;
    double theirs;
};

double elapsedMs(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

Timing compare(int runs, const std::function<void()>& ours, const std::function<void()>& theirs) {
    ours(); // warm caches and allocations
    theirs();
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        a.push_back(elapsedMs(ours));
        b.push_back(elapsedMs(theirs));
    }
    return {median(a), median(b)};
}

// Pads to a width counted in characters, not bytes (some names are Cyrillic).
std::string padded(const std::string& text, std::size_t width) {
    std::size_t chars = 0;
    for (unsigned char c : text)
        chars += (c & 0xC0) != 0x80 ? 1 : 0;
    return text + std::string(chars < width ? width - chars : 0, ' ');
}

// A target of 0 marks a row shown for information only.
void report(const std::string& what, const std::string& sizes, const Timing& t, const std::string& theirs,
            double target) {
    const double ratio = t.ours / t.theirs;
    std::printf("%s %s ours %8.2f ms   %s %8.2f ms   ratio %5.2f", padded(what, 30).c_str(),
                padded(sizes, 22).c_str(), t.ours, padded(theirs, 30).c_str(), t.theirs, ratio);
    if (target > 0)
        std::printf("  (target <= %.1f: %s)", target, ratio <= target ? "met" : "MISSED");
    std::printf("\n");
}

std::string sizeText(int w, int h) {
    return std::to_string(w) + "x" + std::to_string(h);
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
    const cv::Mat bgra(rgb32.height(), rgb32.width(), CV_8UC4, const_cast<uchar*>(rgb32.constBits()),
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
    const std::string sizes = sizeText(sw, sh) + " -> " + sizeText(dw, dh);
    const QImage source = testPicture(sw, sh);
    QImage dest(dw, dh, QImage::Format_RGB32);
    dest.fill(0xFFFFFFFFu);
    const cv::Mat cvSource = asMat(source);
    cv::Mat cvDest, cvTemp, cvAnd(dh, dw, CV_8UC3, cv::Scalar(255, 255, 255));

    const auto linear = [&] { cv::resize(cvSource, cvDest, cv::Size(dw, dh), 0, 0, cv::INTER_LINEAR); };
    for (float r : {0.0f, 5.0f}) {
        resize::ResampleSettings s;
        s.width = dw;
        s.height = dh;
        s.randomPercent = r;
        const double target = r == 0 ? 1.2 : 1.6;
        const Timing vb = compare(
            kRuns,
            [&] {
                RandomSequence rnd;
                resize::resampleByPixelAccess(viewOf(source), viewOf(dest), s, rnd, 1, {});
            },
            linear);
        report(r == 0 ? "XY VB r=0" : "XY VB r=5", sizes, vb, "cv::resize INTER_LINEAR", target);
        const Timing api = compare(
            kRuns,
            [&] {
                RandomSequence rnd;
                resize::resampleByDib(viewOf(source), viewOf(dest), s, rnd, 1, {});
            },
            linear);
        report(r == 0 ? "XY API r=0" : "XY API r=5", sizes, api, "cv::resize INTER_LINEAR", target);
    }

    const resize::PixelRect to{0, 0, dw, dh}, from{0, 0, sw, sh};
    const auto cvPass = [&] {
        cv::resize(cvSource, cvTemp, cv::Size(dw, dh), 0, 0, cv::INTER_NEAREST);
        cv::bitwise_and(cvAnd, cvTemp, cvAnd);
    };
    const Timing copyPass = compare(
        kRuns, [&] { resize::stretchInBands(viewOf(dest), to, viewOf(source), from, SRCCOPY, 1); }, cvPass);
    const Timing andPass = compare(
        kRuns, [&] { resize::stretchInBands(viewOf(dest), to, viewOf(source), from, SRCAND, 1); }, cvPass);
    report("All: main copy pass", sizes, copyPass, "INTER_NEAREST + bitwise_and", 1);
    report("All: And+ overlay pass", sizes, andPass, "INTER_NEAREST + bitwise_and", 1);
    // What mode "All  " runs: the main copy and three And+ overlays fused into one pass over the
    // result, against OpenCV's four separate passes.
    const std::vector<resize::StretchPass> passes{{to, SRCCOPY}, {to, SRCAND}, {to, SRCAND}, {to, SRCAND}};
    const Timing fused = compare(
        kRuns, [&] { resize::stretchPassesInBands(viewOf(dest), viewOf(source), from, passes, 1); },
        [&] {
            for (int i = 0; i < 4; ++i)
                cvPass();
        });
    report("All: main copy + 3 overlays", sizes, fused, "4 x (INTER_NEAREST + and)", 1);

    QImage mirrored = source.copy();
    const Timing mirror = compare(
        kRuns,
        [&] {
            const RasterView v = viewOf(mirrored);
            for (int y = 0; y < v.height; ++y)
                resize::mirrorRow(v.row(y), v.width);
        },
        [&] { cv::flip(cvSource, cvTemp, 1); });
    report("Реверс", sizeText(sw, sh), mirror, "cv::flip", 1);
}

resize::MulticopyRequest multicopyRequest(int dw, int dh, resize::MulticopyMode mode,
                                          std::int16_t red = 100) {
    return resize::MulticopyRequest{.height = dh,
                                    .width = dw,
                                    .randomPercent = 0.0f,
                                    .redPercent = red,
                                    .greenPercent = std::int16_t{100},
                                    .bluePercent = std::int16_t{100},
                                    .rasterCode = SRCAND,
                                    .mode = mode};
}

// The process's memory: resident now, and the most resident since the high-water mark was last
// reset (Linux keeps both in /proc/self/status; writing 5 to clear_refs resets the mark).
long long statusKiB(const char* field) {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(static_cast<int>(std::strlen(field))).trimmed().split(' ').first().toLongLong();
    return -1;
}

// How much more memory than before the work the process held at its most while doing it, MiB:
// spare raster memory is given back first, so what the work needs shows.
double peakMiB(const std::function<void()>& work) {
    releaseSpareRasterMemory();
    const long long before = statusKiB("VmRSS:");
    QFile clear("/proc/self/clear_refs");
    if (!clear.open(QIODevice::WriteOnly) || clear.write("5") != 1)
        return -1;
    clear.close();
    work();
    return (statusKiB("VmHWM:") - before) / 1024.0;
}

// One thread against all the machine's threads for the same work, median of each.
double threadSpeedup(const std::function<void()>& work) {
    const int all = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    std::vector<double> one, many;
    for (int i = 0; i < kCommandRuns; ++i) {
        resize::setResizeThreadCount(1);
        one.push_back(elapsedMs(work));
        resize::setResizeThreadCount(all);
        many.push_back(elapsedMs(work));
    }
    resize::setResizeThreadCount(1);
    return median(one) / median(many);
}

// --- Kernel limits: the memory floor and the threads ---------------------------------------

volatile std::uint32_t g_readSink; // keeps the reads of the pass below

// One thread reading every source pixel once and writing every result pixel once, row by row in
// the kernels' order (source rows in proportion to result rows) and with their streaming stores:
// the memory traffic no resampler over these rasters can avoid.
void readWritePass(const ConstRasterView& source, const RasterView& dest) {
    std::vector<std::uint32_t> row(static_cast<std::size_t>(dest.width));
    std::uint32_t seen = 0;
    int next = 0;
    for (int y = 0; y < dest.height; ++y) {
        const int until = static_cast<int>(static_cast<long long>(y + 1) * source.height / dest.height);
        for (; next < until; ++next) {
            const std::uint32_t* p = source.row(next);
            for (int x = 0; x < source.width; ++x)
                seen |= p[x];
        }
        std::fill(row.begin(), row.end(), seen);
        resize::streamRow(row.data(), dest.row(y), dest.width);
    }
    g_readSink = seen;
}

bool sameRaster(const QImage& a, const QImage& b) {
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), static_cast<std::size_t>(a.width()) * 4) != 0)
            return false;
    return true;
}

// Each resampler and stretch pass against the read+write pass on one thread, then on all the
// machine's threads against one, with the results compared bit for bit.
void kernelLimitRows(int sw, int sh, int dw, int dh) {
    const std::string sizes = sizeText(sw, sh) + " -> " + sizeText(dw, dh);
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const QImage source = testPicture(sw, sh);
    QImage dest(dw, dh, QImage::Format_RGB32), other(dw, dh, QImage::Format_RGB32);
    dest.fill(0xFFFFFFFFu);
    other.fill(0xFFFFFFFFu);

    struct Kernel {
        std::string name;
        std::function<void(QImage&, int)> run;
    };
    std::vector<Kernel> kernels;
    for (float r : {0.0f, 5.0f}) {
        resize::ResampleSettings s;
        s.width = dw;
        s.height = dh;
        s.randomPercent = r;
        const std::string suffix = r == 0 ? " r=0" : " r=5";
        kernels.push_back({"XY VB" + suffix, [&source, s](QImage& to, int n) {
                               RandomSequence rnd;
                               resize::resampleByPixelAccess(viewOf(source), viewOf(to), s, rnd, n, {});
                           }});
        kernels.push_back({"XY API" + suffix, [&source, s](QImage& to, int n) {
                               RandomSequence rnd;
                               resize::resampleByDib(viewOf(source), viewOf(to), s, rnd, n, {});
                           }});
    }
    const resize::PixelRect to{0, 0, dw, dh}, from{0, 0, sw, sh};
    kernels.push_back({"All: main copy pass", [&source, to, from](QImage& d, int n) {
                           resize::stretchInBands(viewOf(d), to, viewOf(source), from, SRCCOPY, n);
                       }});
    const std::vector<resize::StretchPass> passes{{to, SRCCOPY}, {to, SRCAND}, {to, SRCAND}, {to, SRCAND}};
    kernels.push_back({"All: main copy + 3 overlays", [&source, from, passes](QImage& d, int n) {
                           resize::stretchPassesInBands(viewOf(d), viewOf(source), from, passes, n);
                       }});

    for (const Kernel& k : kernels) {
        const Timing floor = compare(
            kRuns, [&] { k.run(dest, 1); }, [&] { readWritePass(viewOf(source), viewOf(other)); });
        report(k.name, sizes, floor, "read+write pass, 1 thread", 0);
    }
    for (const Kernel& k : kernels) {
        const Timing t = compare(
            kRuns, [&] { k.run(dest, threads); }, [&] { k.run(other, 1); });
        const bool same = sameRaster(dest, other);
        const double speedup = t.theirs / t.ours;
        std::printf("%s %s %d threads %8.2f ms   1 thread %8.2f ms   speedup %5.2f   %s",
                    padded(k.name, 30).c_str(), padded(sizes, 22).c_str(), threads, t.ours, t.theirs, speedup,
                    same ? "bit-identical" : "RESULTS DIFFER");
        // The resamplers are held to 1.7 on two cores.
        if (threads == 2 && k.name.rfind("XY", 0) == 0)
            std::printf("  (target >= 1.7: %s)", speedup >= 1.7 ? "met" : "MISSED");
        std::printf("\n");
    }
}

// A user takes more than a moment between two commands; in that moment the memory for the next
// pictures is touched ahead. Paced runs wait 200 ms, untimed, before each run.
void paceLikeAUser(bool paced) {
    if (paced)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

void commandRows(int sw, int sh, int dw, int dh) {
    const std::string sizes = sizeText(sw, sh) + " -> " + sizeText(dw, dh);
    testing::FakePlatform fake;
    testing::StandaloneDocument doc;
    const QString temp = fake.filePath("Temp.bmp");
    saveBmpFile(testPicture(sw, sh), temp);
    const std::string tempPath = temp.toStdString(), cvOut = fake.filePath("TempCV.bmp").toStdString();

    const QImage result = testPicture(dw, dh);
    const cv::Mat cvResult = asMat(result);
    const QString written = fake.filePath("Written.bmp");
    report("BMP read (loadPictureFile)", sizeText(sw, sh),
           compare(
               kCommandRuns, [&] { loadPictureFile(temp); }, [&] { cv::imread(tempPath, cv::IMREAD_COLOR); }),
           "cv::imread", 0);
    report("BMP write (saveBmpFile)", sizeText(dw, dh),
           compare(
               kCommandRuns, [&] { saveBmpFile(result, written); }, [&] { cv::imwrite(cvOut, cvResult); }),
           "cv::imwrite", 0);

    struct Mode {
        const char* name;
        resize::MulticopyMode mode;
        int interpolation;
        const char* theirs;
    } modes[] = {{"MCopy All (command)", resize::MulticopyMode::All, cv::INTER_NEAREST,
                  "imread+resize NEAREST+imwrite"},
                 {"MCopy XY VB r=0 (command)", resize::MulticopyMode::PixelAccess, cv::INTER_LINEAR,
                  "imread+resize LINEAR+imwrite"},
                 {"MCopy XY API r=0 (command)", resize::MulticopyMode::Dib, cv::INTER_LINEAR,
                  "imread+resize LINEAR+imwrite"}};
    for (const Mode& m : modes) {
        const Command command = resize::multicopyCommand(multicopyRequest(dw, dh, m.mode));
        const Timing t = compare(
            kCommandRuns, [&] { doc.runner->run(command); },
            [&] {
                const cv::Mat in = cv::imread(tempPath, cv::IMREAD_COLOR);
                cv::Mat out;
                cv::resize(in, out, cv::Size(dw, dh), 0, 0, m.interpolation);
                cv::imwrite(cvOut, out);
            });
        if (!fake.messages.shown.empty()) {
            std::printf("%s failed: %s\n", m.name, fake.messages.shown.front().text.toStdString().c_str());
            break;
        }
        report(m.name, sizes, t, m.theirs, 1);

        // Its memory (beyond what was resident before it, an empty undo history) and its threads.
        doc.history->clear();
        const double peak = peakMiB([&] { doc.runner->run(command); });
        doc.history->clear();
        const double speedup = threadSpeedup([&] { doc.runner->run(command); });
        doc.history->clear();
        std::printf("%s %s peak memory +%6.1f MiB (source %.1f, result %.1f)   all threads %.2fx one\n",
                    padded("  memory, threads", 30).c_str(), padded(sizes, 22).c_str(), peak,
                    sw * sh * 4 / 1048576.0, dw * dh * 4 / 1048576.0, speedup);

        // What the undo step costs. Two settings in turns (red 100 and 99 percent in the XY modes,
        // two result sizes in mode All), so that every run changes the result as a real one
        // does: the commands without the runner (nothing recorded), then through it (each a step
        // that holds what it replaced), then the undo and the redo of each of those steps.
        for (const bool paced : {false, true}) {
            const bool xy = m.mode != resize::MulticopyMode::All;
            const Command turns[2] = {
                command, resize::multicopyCommand(multicopyRequest(
                             xy ? dw : dw - 1, dh, m.mode, xy ? std::int16_t{99} : std::int16_t{100}))};
            std::vector<double> bare, recorded, undo, redo;
            for (int i = 0; i < 2 * kCommandRuns; ++i) {
                paceLikeAUser(paced);
                bare.push_back(elapsedMs([&] {
                    CommandContext context(*doc.document, {});
                    turns[i % 2].body(context);
                }));
            }
            for (int i = 0; i < 2 * kCommandRuns; ++i) {
                paceLikeAUser(paced);
                recorded.push_back(elapsedMs([&] { doc.runner->run(turns[i % 2]); }));
            }
            const int steps = doc.history->undoSteps();
            for (int i = 0; i < steps; ++i)
                undo.push_back(elapsedMs([&] { doc.runner->undo(); }));
            for (int i = 0; i < steps; ++i)
                redo.push_back(elapsedMs([&] { doc.runner->redo(); }));
            const double plain = median(bare), with = median(recorded);
            std::printf("%s %s with its step %8.2f ms   without %8.2f ms   recording %+6.2f ms (%+5.1f %%)   "
                        "undo %6.3f ms (%4.2f %%)   redo %6.3f ms   (%d steps, %lld MiB held)\n",
                        padded(paced ? "  undo step, paced" : "  undo step, back to back", 30).c_str(),
                        padded(sizes, 22).c_str(), with, plain, with - plain, 100 * (with - plain) / plain,
                        median(undo), 100 * median(undo) / plain, median(redo), steps,
                        static_cast<long long>(doc.history->heldBytes() >> 20));
            doc.history->clear();
        }
    }
}

// A large picture loaded into "Picture" through the load command, Temp.bmp written, against
// OpenCV reading the same file and writing it as BMP.
void loadRows() {
    constexpr int kWidth = 8000, kHeight = 6000;
    testing::FakePlatform fake;
    testing::StandaloneDocument doc;
    const QImage picture = testPicture(kWidth, kHeight);
    const std::string cvOut = fake.filePath("TempCV.bmp").toStdString();
    for (const char* format : {"bmp", "png"}) {
        const QString file = fake.filePath(QString("big.%1").arg(format));
        if (QString(format) == "bmp")
            saveBmpFile(picture, file);
        else
            picture.save(file, "PNG", 90);
        QFile bytes(file);
        bytes.open(QIODevice::ReadOnly);
        const QByteArray encoded = bytes.readAll();
        fake.files.answer = {OpenFileResult::Outcome::Chosen, file};
        // The clipboard hands over the same encoded bytes; OpenCV decodes them from memory.
        for (const bool fromClipboard : {false, true}) {
            fake.clipboard.encoded = {QByteArray("image/") + format, encoded};
            const std::vector<uchar> cvBytes(encoded.begin(), encoded.end());
            const Command load = transfer::loadCommand(transfer::LoadRequest{
                .target = transfer::LoadTarget::Picture, .fromClipboard = fromClipboard, .fit = true});
            fake.messages.shown.clear();
            const Timing t = compare(
                3,
                [&] {
                    doc.runner->run(load);
                    doc.history->clear();
                },
                [&] {
                    cv::imwrite(cvOut, fromClipboard ? cv::imdecode(cvBytes, cv::IMREAD_COLOR)
                                                     : cv::imread(file.toStdString(), cv::IMREAD_COLOR));
                });
            const double peak = peakMiB([&] { doc.runner->run(load); });
            doc.history->clear();
            const std::string name =
                std::string("Load ") + format + (fromClipboard ? " clipboard" : " file") + " (command)";
            report(name, sizeText(kWidth, kHeight), t,
                   fromClipboard ? "imdecode+imwrite BMP" : "imread+imwrite BMP", 1);
            std::printf(
                "%s %s peak memory +%6.1f MiB (picture %.1f, the undo record holds the one before)%s\n",
                padded("  memory", 30).c_str(), padded(sizeText(kWidth, kHeight), 22).c_str(), peak,
                kWidth * kHeight * 4 / 1048576.0, fake.messages.shown.empty() ? "" : "   FAILED");
        }
    }
}

// --- Raster memory: what touching ahead gains, and what an idle program keeps ----------------

// What a kernel pays for its result's memory: a 4K raster taken and every row of it written once,
// held afterwards as an undo step holds a replaced picture (so none is recycled), paced like a
// user, with touching ahead and without, in blocks taken in turns. Once with huge pages, and once
// without them, as on a system without transparent huge pages or with none free.
void freshRasterRows() {
    constexpr int kWidth = 3840, kHeight = 2160;
    struct Case {
        const char* name;
        bool hugePages;
        bool paced;
    };
    for (const Case& c :
         {Case{"4K raster written, paced", true, true}, Case{"4K raster written, back to back", true, false},
          Case{"4K raster written, small pages", false, true}}) {
        ::prctl(PR_SET_THP_DISABLE, c.hugePages ? 0 : 1, 0, 0, 0);
        std::vector<double> runs[2]; // off, on
        for (int block = 0; block < 6; ++block) {
            const bool on = block % 2 == 1;
            setRasterTouchAhead(on);
            releaseSpareRasterMemory();
            std::vector<QImage> held;
            for (int i = 0; i <= kCommandRuns; ++i) {
                paceLikeAUser(c.paced);
                const double ms = elapsedMs([&] {
                    held.push_back(newRaster(kWidth, kHeight));
                    for (int y = 0; y < kHeight; ++y)
                        std::memset(held.back().scanLine(y), 0xFF, std::size_t{kWidth} * 4);
                });
                if (i > 0) // the first of a block finds nothing touched ahead
                    runs[on].push_back(ms);
            }
        }
        report(c.name, sizeText(kWidth, kHeight), Timing{median(runs[1]), median(runs[0])},
               "touching ahead off", 0);
    }
    ::prctl(PR_SET_THP_DISABLE, 0, 0, 0, 0);
    setRasterTouchAhead(true);
    releaseSpareRasterMemory();
}

// The 4K "MCopy" paced like a user, each run an undo step holding the result it replaced, so
// that every run needs fresh memory for its result: with the raster memory touching ahead and
// without, in blocks of runs taken in turns. The first run of a block, with nothing touched
// ahead yet, is left out.
void touchAheadRows() {
    constexpr int kWidth = 1920, kHeight = 1080, kResultWidth = 3840, kResultHeight = 2160;
    testing::FakePlatform fake;
    testing::StandaloneDocument doc;
    saveBmpFile(testPicture(kWidth, kHeight), fake.filePath("Temp.bmp"));
    const std::string sizes = sizeText(kWidth, kHeight) + " -> " + sizeText(kResultWidth, kResultHeight);
    for (const bool paced : {true, false}) {
        std::vector<double> runs[2]; // off, on
        for (int block = 0; block < 6; ++block) {
            const bool on = block % 2 == 1;
            setRasterTouchAhead(on);
            doc.history->clear();
            releaseSpareRasterMemory();
            for (int i = 0; i <= kCommandRuns; ++i) {
                // Two settings in turns, so that every run changes the result.
                const Command command = resize::multicopyCommand(
                    multicopyRequest(kResultWidth, kResultHeight, resize::MulticopyMode::PixelAccess,
                                     i % 2 == 0 ? std::int16_t{100} : std::int16_t{99}));
                paceLikeAUser(paced);
                const double ms = elapsedMs([&] { doc.runner->run(command); });
                if (i > 0)
                    runs[on].push_back(ms);
            }
        }
        doc.history->clear();
        report(paced ? "MCopy XY VB, paced" : "MCopy XY VB, back to back", sizes,
               Timing{median(runs[1]), median(runs[0])}, "touching ahead off", 0);
    }
    setRasterTouchAhead(true);
}

// Bytes of the pictures the windows hold, each raster counted once.
long long windowPictureBytes(const Document& document) {
    std::vector<const uchar*> seen;
    long long bytes = 0;
    for (WindowId id : kEveryWindow)
        if (const Canvas* canvas = document.existingCanvas(id))
            for (const QImage* image : {&canvas->image(), &canvas->picture()})
                if (!image->isNull() &&
                    std::find(seen.begin(), seen.end(), image->constBits()) == seen.end()) {
                    seen.push_back(image->constBits());
                    bytes += image->sizeInBytes();
                }
    return bytes;
}

// The process's resident memory after 4K "MCopy" commands (their undo steps kept), then once
// idle for longer than the raster memory waits before giving its spare memory back, in parts:
// the pictures of the undo history and of the windows, the raster memory's spare buffers, the
// mapped files (the program's and its libraries' code, OpenCV's included) and the rest (the heap,
// stacks). Goal once idle: no more than the pictures held and 64 MiB.
void idleMemoryRows() {
    constexpr int kWidth = 1920, kHeight = 1080, kResultWidth = 3840, kResultHeight = 2160;
    testing::FakePlatform fake;
    testing::StandaloneDocument doc;
    saveBmpFile(testPicture(kWidth, kHeight), fake.filePath("Temp.bmp"));
    for (int i = 0; i < kCommandRuns; ++i)
        doc.runner->run(resize::multicopyCommand(multicopyRequest(kResultWidth, kResultHeight,
                                                                  resize::MulticopyMode::PixelAccess,
                                                                  static_cast<std::int16_t>(100 - i))));
    // Prints the parts; returns the resident memory and the goal.
    const auto line = [&](const std::string& when) {
        const double rss = statusKiB("VmRSS:") / 1024.0, files = statusKiB("RssFile:") / 1024.0,
                     held = doc.history->heldBytes() / 1048576.0, shown = windowPictureBytes(*doc.document) / 1048576.0,
                     spare = spareRasterBytes() / 1048576.0;
        std::printf("%s %s RSS %6.1f MiB = undo history %6.1f + windows %5.1f + spare rasters %5.1f + "
                    "files %5.1f + rest %5.1f",
                    padded(when, 30).c_str(), padded(sizeText(kResultWidth, kResultHeight), 22).c_str(), rss,
                    held, shown, spare, files, rss - held - shown - spare - files);
        return std::pair{rss, held + shown + 64};
    };
    line("after 4K MCopy x" + std::to_string(kCommandRuns));
    std::printf("\n");
    const auto wait = kSpareMemoryIdleDelay + std::chrono::seconds(1);
    std::this_thread::sleep_for(wait);
    const auto [rss, goal] =
        line("idle " + std::to_string(std::chrono::duration_cast<std::chrono::seconds>(wait).count()) + " s");
    std::printf("  (goal <= %.1f: %s)\n", goal, rss <= goal ? "met" : "MISSED");
    doc.history->clear();
}

// Repainting a 1024 x 768 view of an 8000 x 8000 picture at each zoom step, against the plain
// one-to-one blit of the same window (its visible rows copied). The view looks at the middle of
// the picture (as near as the scroll range allows). One thread; the paints must fit in a frame.
// Below 25 % a paint is bound by the memory, so one plain read of the whole picture comes first
// as the measure of what the machine's memory gives at the time (6.25 % reads half the picture).
void zoomRows() {
    constexpr int kSide = 8000, kViewWidth = 1024, kViewHeight = 768;
    constexpr double kFrameMs = 16;
    const QImage picture = testPicture(kSide, kSide);
    QImage view(kViewWidth, kViewHeight, QImage::Format_RGB32),
        blit(kViewWidth, kViewHeight, QImage::Format_RGB32);
    const ConstRasterView from = viewOf(picture);
    const RasterView to = viewOf(view), plain = viewOf(blit);
    zoom::ZoomedPainter painter;
    const std::string sizes = sizeText(kViewWidth, kViewHeight) + " of " + sizeText(kSide, kSide);
    std::vector<double> reads;
    for (int i = 0; i < kRuns; ++i)
        reads.push_back(elapsedMs([&] {
            std::uint32_t seen = 0;
            for (int y = 0; y < kSide; ++y)
                for (int x = 0; x < kSide; ++x)
                    seen |= from.row(y)[x];
            g_readSink = seen;
        }));
    std::printf("%s %s      %8.2f ms\n", padded("Read of the whole picture", 30).c_str(),
                padded(sizeText(kSide, kSide), 22).c_str(), median(reads));
    for (int step = 0; step < zoom::kStepCount; ++step) {
        const zoom::Scale scale = zoom::stepScale(step);
        const QSize seen = zoom::visiblePixels(QSize(kViewWidth, kViewHeight), scale);
        const QPoint scroll =
            zoom::clampScroll(QPoint((kSide - seen.width()) / 2, (kSide - seen.height()) / 2),
                              QSize(kSide, kSide), QSize(kViewWidth, kViewHeight), scale);
        const Timing t = compare(
            kRuns, [&] { painter.paint(from, scale, scroll.x(), scroll.y(), to, 0xFFFFFFFFu); },
            [&] {
                for (int y = 0; y < kViewHeight; ++y)
                    std::memcpy(plain.row(y), from.row(scroll.y() + y) + scroll.x(), kViewWidth * 4);
            });
        const bool required = step == 0 || step == zoom::kFullSizeStep || step == zoom::kStepCount - 1;
        std::printf("%s %s ours %8.2f ms   %s %8.2f ms   (%s <= %.0f ms: %s)\n",
                    padded("Zoom " + zoom::stepText(step) + " % repaint", 30).c_str(),
                    padded(sizes, 22).c_str(), t.ours, padded("plain blit (memcpy rows)", 30).c_str(),
                    t.theirs, required ? "target" : "frame", kFrameMs, t.ours <= kFrameMs ? "met" : "MISSED");
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    cv::setNumThreads(1);
    resize::setResizeThreadCount(1);
    std::printf("Median of %d runs (%d for whole commands), ours and OpenCV in turns, one thread each; "
                "ratio = ours / OpenCV.\n",
                kRuns, kCommandRuns);
    // TESMARO_DISABLE="avx512" or "avx2 avx512" times the narrower forms.
    const int lanes = resize::rowLoops().lanes;
    std::printf("Row loops: %s.\n", lanes == 16  ? "sixteen lanes (AVX-512)"
                                    : lanes == 8 ? "eight lanes (AVX2)"
                                                 : "four lanes");
    const std::array<std::array<int, 4>, 2> cases{{{3840, 2160, 2560, 1440}, {1920, 1080, 3840, 2160}}};
    // "kernels", "commands", "memory" or "zoom" (or "--kernels") as the argument runs only those rows.
    std::string only = argc > 1 ? argv[1] : "";
    if (only == "--kernels")
        only = "kernels";
    if (only == "zoom") {
        zoomRows();
        return 0;
    }
    if (only != "commands" && only != "memory") {
        for (const auto& c : cases)
            kernelRows(c[0], c[1], c[2], c[3]);
        for (const auto& c : cases)
            kernelLimitRows(c[0], c[1], c[2], c[3]);
    }
    if (only != "kernels" && only != "memory") {
        for (const auto& c : cases)
            commandRows(c[0], c[1], c[2], c[3]);
        loadRows();
    }
    if (only != "kernels") {
        freshRasterRows();
        touchAheadRows();
        idleMemoryRows();
    }
    if (only.empty())
        zoomRows();
    return 0;
}
