#include "core/FieldNumber.h"
#include "core/RandomSequence.h"
#include "core/RasterOp.h"
#include "platform/Platform.h"
#include "resize/MulticopyProcedures.h"
#include "resize/ResizeCommands.h"
#include "resize/kernels/BandedStretch.h"
#include "resize/kernels/FusedStretch.h"
#include "resize/kernels/ParallelRows.h"
#include "shell/CommandFailure.h"
#include "shell/FieldReader.h"
#include "shell/MainWindow.h"
#include "shell/Messages.h"
#include "transfer/PictureFiles.h"
#include "transfer/SharedProcedures.h"
#include "windows/Windows.h"

#include <cmath>
#include <optional>
#include <vector>

namespace tesmaro::resize {
namespace {

const QString kFailureMessage = QStringLiteral("Ошибка в режиме мультикопирования");

QString titlePrefix(const MulticopySettings& s, const QString& done) {
    return QStringLiteral("Мультикопирование  ") + QString::number(s.MCopyWidth) + QStringLiteral(" * ") +
           QString::number(s.MCopyHeight) + done;
}

// The platform's random function as the overlays call it.
float platformRandom(float argument) {
    RandomSequence& sequence = programRandom();
    if (argument > 0)
        return sequence.next();
    return static_cast<float>(sequence.state()) * (1.0f / 16777216.0f);
}

// The nearest whole size, or nothing when it lies beyond the 32-bit range.
std::optional<int> wholePixels(float size) {
    const double whole = std::isfinite(size) ? roundHalfEven(size) : NAN;
    if (!(whole >= INT32_MIN && whole <= INT32_MAX))
        return std::nullopt;
    return static_cast<int>(whole);
}

// The draws and sizes of one overlay, without drawing it; nothing when a size is beyond the
// 32-bit range (the overlay then fails the run).
std::optional<PixelRect> overlayRect(MainWindow& w, const MulticopySettings& s, float& first, float& second) {
    AppState& st = w.state;
    const float r = s.RandomPercent;
    float u = platformRandom(first);
    st.OverlayHeight = (1 + (r - 2 * r * u) / 50000) * st.MCopyHeightF;
    u = platformRandom(second);
    st.OverlayWidth = (1 + (r - 2 * r * u) / 50000) * st.MCopyWidthF;
    const std::optional<int> width = wholePixels(st.OverlayWidth);
    const std::optional<int> height = wholePixels(st.OverlayHeight);
    if (!width || !height)
        return std::nullopt;
    return PixelRect{0, 0, *width, *height};
}

bool checked(const QCheckBox* box) {
    return box->checkState() != Qt::Unchecked;
}

// Mode "All  ": one stretched copy, then three overlays of slightly random sizes. All six
// numbers are drawn first, in the order of the overlays, and the four stretches then run in
// one pass over the result. An overlay that fails leaves what the stretches before it drew.
void multicopyAll(MainWindow& w, const MulticopySettings& s, ProgressTitle& title) {
    AppState& st = w.state;
    Canvas* result = windows::frmMCopy2()->picMain;
    const std::int32_t code = checked(w.Check5) ? std::int32_t{SRCCOPY} : st.RasterCode;
    std::vector<StretchPass> passes{{PixelRect{0, 0, s.MCopyWidth, s.MCopyHeight}, code}};
    float* const arguments[3][2] = {{&st.MCopyWidthF, &st.MCopyHeightF},
                                    {&st.MCopyHeightF, &st.MCopyWidthF},
                                    {&st.OverlayHeight, &st.OverlayWidth}};
    bool failed = false;
    for (const auto& pair : arguments) {
        const std::optional<PixelRect> rect = overlayRect(w, s, *pair[0], *pair[1]);
        if (!rect) {
            failed = true;
            break;
        }
        passes.push_back({*rect, st.RasterCode});
    }
    stretchPassesInBands(result->view(), windows::frmMCopy1()->picMain->constView(),
                         PixelRect{0, 0, st.PicWidth, st.PicHeight}, passes, resizeThreadCount());
    result->refresh();
    if (failed)
        throw CommandFailure("overlay size beyond the 32-bit range");
    title.show(100);
}

void runMulticopy(MainWindow& w) {
    MulticopySettings s;
    s.MCopyHeight = FieldReader::int32(w.Text17);
    s.MCopyWidth = FieldReader::int32(w.Text18);
    s.RandomPercent = FieldReader::single(w.Text10);
    s.RedPercent = FieldReader::int16(w.Text21);
    s.GreenPercent = FieldReader::int16(w.Text22);
    s.BluePercent = FieldReader::int16(w.Text23);
    ReadRasterMode(w);

    AppState& st = w.state;
    Canvas* source = windows::frmMCopy1()->picMain;
    const QImage temp = loadPictureFile(appFilePath(QStringLiteral("Temp.bmp")));
    if (temp.isNull() || !source->setPicture(temp))
        throw CommandFailure("Temp.bmp cannot be read");
    st.PicHeight = source->canvasHeight();
    st.PicWidth = source->canvasWidth();
    source->refresh();
    w.Text7->setText(QString::number(st.PicHeight));
    w.Text8->setText(QString::number(st.PicWidth));

    st.MCopyHeightF = static_cast<float>(s.MCopyHeight);
    st.MCopyWidthF = static_cast<float>(s.MCopyWidth);
    st.OverlayHeight = st.MCopyHeightF;
    st.OverlayWidth = st.MCopyWidthF;

    PictureWindow* resultWindow = windows::frmMCopy2();
    Canvas* result = resultWindow->picMain;
    if (!result->setCanvasSize(s.MCopyWidth, s.MCopyHeight) ||
        !resultWindow->setScrollMax(s.MCopyHeight, s.MCopyWidth))
        throw CommandFailure("result size refused");
    ProgressTitle title = multicopyProgress(s);
    title.show(0);
    resultWindow->show();
    // Clearing drops the picture and fills the raster with the back colour, as Cls does; "XY API"
    // does it itself, where it can fold the fill into its rows.
    const bool clearResult = checked(w.Check5);
    if (clearResult && !w.Option28->isChecked())
        result->clearPicture();
    w.show();

    if (w.Option28->isChecked())
        ResampleByDib(w, source->picture(), s, clearResult);
    else if (w.Option10->isChecked())
        ResampleByPixelAccess(w, s, title);
    else
        multicopyAll(w, s, title);

    if (!saveBmpFile(result->image(), appFilePath(QStringLiteral("TempMC.bmp"))))
        throw CommandFailure("TempMC.bmp cannot be written");
}

} // namespace

ResampleSettings kernelSettings(const MulticopySettings& s) {
    ResampleSettings k;
    k.width = s.MCopyWidth;
    k.height = s.MCopyHeight;
    k.randomPercent = s.RandomPercent;
    k.redPercent = s.RedPercent;
    k.greenPercent = s.GreenPercent;
    k.bluePercent = s.BluePercent;
    return k;
}

ProgressTitle multicopyProgress(const MulticopySettings& s) {
    return ProgressTitle(windows::frmMCopy2(), titlePrefix(s, QStringLiteral(" выполнено ")));
}

ProgressTitle dibProgress(const MulticopySettings& s) {
    return ProgressTitle(windows::frmMCopy2(), titlePrefix(s, QStringLiteral(" выполненоно ")));
}

void RandomOverlay(MainWindow& w, const MulticopySettings& s, float& first, float& second) {
    AppState& st = w.state;
    const std::optional<PixelRect> rect = overlayRect(w, s, first, second);
    if (!rect)
        throw CommandFailure("overlay size beyond the 32-bit range");
    Canvas* result = windows::frmMCopy2()->picMain;
    stretchInBands(result->view(), *rect, windows::frmMCopy1()->picMain->constView(),
                   PixelRect{0, 0, st.PicWidth, st.PicHeight}, st.RasterCode, resizeThreadCount());
    result->refresh();
}

void Command13_Click(MainWindow& w) {
    w.hide();
    platform().busy->setBusy(true);
    try {
        runMulticopy(w);
        platform().busy->setBusy(false);
        return;
    } catch (...) {
    }
    showMessage(kFailureMessage);
    platform().busy->setBusy(false);
    w.show();
}

} // namespace tesmaro::resize
