#pragma once
// The procedures of one "MCopy" run: its progress titles and the two resamplers on the multicopy
// windows. The run's settings, read from the request first, are the kernels' own
// (ResampleSettings). Each throws CommandFailure (or std::bad_alloc) into the run's one failure
// path.

#include "resize/ProgressTitle.h"
#include "resize/kernels/ResampleSettings.h"

#include <QImage>

namespace tesmaro {
class Document;

namespace resize {

// "Мультикопирование  Wd * Hd выполнено P процентов " in frmMCopy2's title.
ProgressTitle multicopyProgress(Document& doc, const ResampleSettings& s);
// The variant "XY API" shows: "... выполненоно P процентов ".
ProgressTitle dibProgress(Document& doc, const ResampleSettings& s);

// "XY VB" from frmMCopy1 onto frmMCopy2, titles in frmMCopy2. Fails for a size below 1.
void ResampleByPixelAccess(Document& doc, const ResampleSettings& s, ProgressTitle& title);
// "XY API" from picture through frmTemp's canvas onto frmMCopy2 with RasterCode. clearResult:
// frmMCopy2 is cleared first (Cls, its picture dropped), as "Очистить приемник" asks. On a
// failure nothing reaches frmMCopy2 beyond that clearing and frmTemp holds the picture at the
// result size.
void ResampleByDib(Document& doc, const QImage& picture, const ResampleSettings& s, bool clearResult);

} // namespace resize
} // namespace tesmaro
