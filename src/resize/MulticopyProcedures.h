#pragma once
// The procedures of one "MCopy" run: the settings it reads first, its progress titles and the two
// resamplers on the multicopy windows. Each throws CommandFailure (or std::bad_alloc) into the
// run's one failure path.

#include "resize/ProgressTitle.h"
#include "resize/kernels/ResampleSettings.h"

#include <QImage>

#include <cstdint>

namespace tesmaro {
struct AppState;

namespace resize {

struct MulticopySettings {
    std::int32_t MCopyHeight = 0; // Hd
    std::int32_t MCopyWidth = 0;  // Wd
    float RandomPercent = 0;      // r
    std::int16_t RedPercent = 100;
    std::int16_t GreenPercent = 100;
    std::int16_t BluePercent = 100;
};

// The part of the settings the resampler kernels take.
ResampleSettings kernelSettings(const MulticopySettings& s);

// "Мультикопирование  Wd * Hd выполнено P процентов " in frmMCopy2's title.
ProgressTitle multicopyProgress(const MulticopySettings& s);
// The variant "XY API" shows: "... выполненоно P процентов ".
ProgressTitle dibProgress(const MulticopySettings& s);

// "XY VB" from frmMCopy1 onto frmMCopy2, titles in frmMCopy2. Fails for a size below 1.
void ResampleByPixelAccess(const MulticopySettings& s, ProgressTitle& title);
// "XY API" from picture through frmTemp's canvas onto frmMCopy2 with RasterCode. clearResult:
// frmMCopy2 is cleared first (Cls, its picture dropped), as "Очистить приемник" asks. On a
// failure nothing reaches frmMCopy2 beyond that clearing and frmTemp holds the picture at the
// result size.
void ResampleByDib(const AppState& state, const QImage& picture, const MulticopySettings& s,
                   bool clearResult);

} // namespace resize
} // namespace tesmaro
