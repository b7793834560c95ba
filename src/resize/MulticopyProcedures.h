#pragma once
// The procedures of one "MCopy" run below Command13_Click: the settings it reads first, its
// progress titles, the randomised overlay of mode "All  " and the two resamplers on the
// multicopy windows. Each throws CommandFailure (or std::bad_alloc) into the run's one failure path.

#include "resize/ProgressTitle.h"
#include "resize/kernels/ResampleSettings.h"

#include <QImage>

#include <cstdint>

namespace tesmaro {
class MainWindow;

namespace resize {

struct MulticopySettings {
    std::int32_t MCopyHeight = 0; // Hd, Text17
    std::int32_t MCopyWidth = 0;  // Wd, Text18
    float RandomPercent = 0;      // r, Text10
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

// One overlay: first and second each go to one call of the random function (a positive value
// draws the next number; zero or less repeats the number drawn last, the sequence is never
// reseeded); OverlayHeight and OverlayWidth become (1 + (r - 2*r*u)/50000) * MCopyHeightF and
// ... * MCopyWidthF, and the whole source is stretched onto the result at their nearest whole
// sizes, combined with RasterCode. A size beyond the 32-bit range fails the run.
void RandomOverlay(MainWindow& w, const MulticopySettings& s, float& first, float& second);

// "XY VB" from frmMCopy1 onto frmMCopy2, titles in frmMCopy2. Fails for a size below 1.
void ResampleByPixelAccess(MainWindow& w, const MulticopySettings& s, ProgressTitle& title);
// "XY API" from picture through frmTemp's canvas onto frmMCopy2 with RasterCode. clearResult:
// frmMCopy2 is cleared first (Cls, its picture dropped), as "Очистить приемник" asks. On a
// failure nothing reaches frmMCopy2 beyond that clearing and frmTemp holds the picture at the
// result size.
void ResampleByDib(MainWindow& w, const QImage& picture, const MulticopySettings& s, bool clearResult);

} // namespace resize
} // namespace tesmaro
