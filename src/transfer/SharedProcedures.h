#pragma once
// Procedures of the copy machinery that the multicopy and the editor's transfers share.

#include "core/Raster.h"

namespace tesmaro {
class MainWindow;
class Canvas;

// Text1-Text4, Text11-Text14 in this order into SrcY0 ... DstXmax (single precision).
// Throws CommandFailure at the first field that is not a number; fields before it are stored.
void ReadFragmentFields(MainWindow& w);
// RasterCode from the selected option of "Copy  As"; unchanged when none is selected.
void ReadRasterMode(MainWindow& w);
// The source rectangle (SrcX0, SrcY0, SrcXmax x SrcYmax) of source, scaled into the
// destination rectangle (DstX0, DstY0, DstXmax x DstYmax) of dest, combined with RasterCode.
void PaintFragment(MainWindow& w, Canvas& dest, const ConstRasterView& source);
// AutoSize off when "False" is selected, on when "True" is.
void ApplyAutoSize(MainWindow& w, Canvas& canvas);
// Finishes a copy into frmPicture2: sizes into PicHeight/PicWidth, scroll range, shows the
// window, Text17/Text18. Throws CommandFailure when the size exceeds the scroll range.
void ShowPicture2Result(MainWindow& w);

} // namespace tesmaro
