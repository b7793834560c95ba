// "MCopy": Temp.bmp into the hidden frmMCopy1, then the result of the chosen mode in frmMCopy2
// and TempMC.bmp.
#include "core/FieldNumber.h"
#include "core/RandomSequence.h"
#include "core/RasterOp.h"
#include "document/Document.h"
#include "document/Fragment.h"
#include "resize/KernelThreads.h"
#include "resize/MulticopyProcedures.h"
#include "resize/ResizeCommands.h"
#include "resize/kernels/FusedStretch.h"

#include <cmath>
#include <optional>
#include <vector>

namespace tesmaro::resize {
namespace {

QString titlePrefix(const ResampleSettings& s, const QString& done) {
    return QStringLiteral("Мультикопирование  ") + QString::number(s.width) + QStringLiteral(" * ") +
           QString::number(s.height) + done;
}

// The platform's random function as the overlays call it.
float platformRandom(RandomSequence& sequence, float argument) {
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
std::optional<PixelRect> overlayRect(AppState& st, const ResampleSettings& s, float& first, float& second) {
    const float r = s.randomPercent;
    float u = platformRandom(st.random, first);
    st.OverlayHeight = (1 + (r - 2 * r * u) / 50000) * st.MCopyHeightF;
    u = platformRandom(st.random, second);
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
void multicopyAll(Document& doc, const ResampleSettings& s, bool clearResult, ProgressTitle& title) {
    AppState& st = doc.state;
    Canvas* result = doc.pictureWindow(WindowId::MCopy2).picMain;
    const std::int32_t code = clearResult ? std::int32_t{SRCCOPY} : st.RasterCode;
    std::vector<StretchPass> passes{{PixelRect{0, 0, s.width, s.height}, code}};
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
    stretchPassesInBands(result->view(), doc.pictureWindow(WindowId::MCopy1).picMain->constView(),
                         PixelRect{0, 0, st.PicWidth, st.PicHeight}, passes, kernelThreads(doc));
    result->refresh();
    if (failed)
        throw CommandFailure("overlay size beyond the 32-bit range");
    title.show(100);
}

void runMulticopy(Document& doc, const MulticopyRequest& r) {
    ResampleSettings s;
    s.height = r.height.get();
    s.width = r.width.get();
    s.randomPercent = r.randomPercent.get();
    s.redPercent = r.redPercent.get();
    s.greenPercent = r.greenPercent.get();
    s.bluePercent = r.bluePercent.get();
    AppState& st = doc.state;
    ReadRasterMode(st, r.rasterCode);

    Canvas* source = doc.pictureWindow(WindowId::MCopy1).picMain;
    const QImage temp = doc.files().read(QStringLiteral("Temp.bmp"));
    if (temp.isNull() || !source->setPicture(temp))
        throw CommandFailure("Temp.bmp cannot be read");
    st.PicHeight = source->canvasHeight();
    st.PicWidth = source->canvasWidth();
    source->refresh();
    doc.front().showSourceSize(st.PicHeight, st.PicWidth);

    st.MCopyHeightF = static_cast<float>(s.height);
    st.MCopyWidthF = static_cast<float>(s.width);
    st.OverlayHeight = st.MCopyHeightF;
    st.OverlayWidth = st.MCopyWidthF;

    PictureWindow* resultWindow = &doc.pictureWindow(WindowId::MCopy2);
    Canvas* result = resultWindow->picMain;
    if (!result->setCanvasSize(s.width, s.height) || !resultWindow->setScrollMax(s.height, s.width))
        throw CommandFailure("result size refused");
    ProgressTitle title = multicopyProgress(doc, s);
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
        ResampleByDib(doc, source->picture(), s, clearResult);
        break;
    case MulticopyMode::PixelAccess:
        ResampleByPixelAccess(doc, s, title);
        break;
    case MulticopyMode::All:
        multicopyAll(doc, s, clearResult, title);
        break;
    }

    if (!doc.files().write(QStringLiteral("TempMC.bmp"), result->image()))
        throw CommandFailure("TempMC.bmp cannot be written");
}

} // namespace

ProgressTitle multicopyProgress(Document& doc, const ResampleSettings& s) {
    return ProgressTitle(&doc.pictureWindow(WindowId::MCopy2), titlePrefix(s, QStringLiteral(" выполнено ")));
}

ProgressTitle dibProgress(Document& doc, const ResampleSettings& s) {
    return ProgressTitle(&doc.pictureWindow(WindowId::MCopy2),
                         titlePrefix(s, QStringLiteral(" выполненоно ")));
}

Command multicopyCommand(MulticopyRequest request) {
    return Command{.policy = {.failureMessage = kMulticopyFailed,
                              .busy = true,
                              .panel = CommandPolicy::Panel::HiddenUntilShown},
                   .body = [r = std::move(request)](CommandContext& c) { runMulticopy(c.document, r); }};
}

} // namespace tesmaro::resize
