// "MCopy": Temp.bmp into the hidden frmMCopy1, then the result of the chosen mode in frmMCopy2
// and TempMC.bmp.
#include "core/FieldNumber.h"
#include "core/RandomSequence.h"
#include "core/RasterOp.h"
#include "document/Fragment.h"
#include "document/ProgramFiles.h"
#include "pictures/BmpFile.h"
#include "pictures/PictureDecoding.h"
#include "resize/MulticopyProcedures.h"
#include "resize/ResizeCommands.h"
#include "resize/kernels/FusedStretch.h"
#include "resize/kernels/ParallelRows.h"
#include "windows/Windows.h"

#include <cmath>
#include <optional>
#include <vector>

namespace tesmaro::resize {
namespace {

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
std::optional<PixelRect> overlayRect(AppState& st, const MulticopySettings& s, float& first, float& second) {
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

// Mode "All  ": one stretched copy, then three overlays of slightly random sizes. All six
// numbers are drawn first, in the order of the overlays, and the four stretches then run in
// one pass over the result. An overlay that fails leaves what the stretches before it drew.
void multicopyAll(AppState& st, const MulticopySettings& s, bool clearResult, ProgressTitle& title) {
    Canvas* result = windows::frmMCopy2()->picMain;
    const std::int32_t code = clearResult ? std::int32_t{SRCCOPY} : st.RasterCode;
    std::vector<StretchPass> passes{{PixelRect{0, 0, s.MCopyWidth, s.MCopyHeight}, code}};
    float* const arguments[3][2] = {{&st.MCopyWidthF, &st.MCopyHeightF},
                                    {&st.MCopyHeightF, &st.MCopyWidthF},
                                    {&st.OverlayHeight, &st.OverlayWidth}};
    bool failed = false;
    for (const auto& pair : arguments) {
        const std::optional<PixelRect> rect = overlayRect(st, s, *pair[0], *pair[1]);
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

void runMulticopy(Document& doc, const MulticopyRequest& r) {
    MulticopySettings s;
    s.MCopyHeight = r.height.get();
    s.MCopyWidth = r.width.get();
    s.RandomPercent = r.randomPercent.get();
    s.RedPercent = r.redPercent.get();
    s.GreenPercent = r.greenPercent.get();
    s.BluePercent = r.bluePercent.get();
    AppState& st = doc.state;
    ReadRasterMode(st, r.rasterCode);

    Canvas* source = windows::frmMCopy1()->picMain;
    const QImage temp = loadPictureFile(appFilePath(QStringLiteral("Temp.bmp")));
    if (temp.isNull() || !source->setPicture(temp))
        throw CommandFailure("Temp.bmp cannot be read");
    st.PicHeight = source->canvasHeight();
    st.PicWidth = source->canvasWidth();
    source->refresh();
    doc.front().showSourceSize(st.PicHeight, st.PicWidth);

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
    const bool clearResult = r.clearResult;
    if (clearResult && r.mode != MulticopyMode::Dib)
        result->clearPicture();
    doc.front().showControls();

    switch (r.mode) {
    case MulticopyMode::Dib:
        ResampleByDib(st, source->picture(), s, clearResult);
        break;
    case MulticopyMode::PixelAccess:
        ResampleByPixelAccess(s, title);
        break;
    case MulticopyMode::All:
        multicopyAll(st, s, clearResult, title);
        break;
    }

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

Command multicopyCommand(MulticopyRequest request) {
    return Command{{kMulticopyFailed, true, CommandPolicy::Panel::HiddenUntilShown},
                   [r = std::move(request)](CommandContext& c) { runMulticopy(c.document, r); }};
}

} // namespace tesmaro::resize
