#pragma once
// Procedures of the copy machinery that the multicopy and the editor's transfers share.

#include "core/Raster.h"

#include <QImage>
#include <QLineEdit>
#include <QSize>

namespace tesmaro {
class MainWindow;
class Canvas;

// A read-only view over a Format_RGB32 picture (a canvas raster or an Image1 picture); an
// empty view for a null picture or any other format. The picture must outlive the view.
ConstRasterView pictureRaster(const QImage& picture);
// The size imposed by "Размер задать": the height field, then the width field, each a number
// taken to the nearest whole pixel (halves to even). Throws CommandFailure at a field that is
// not a number or a size outside 0..32767, so nothing is resized with a size that cannot be had.
QSize ReadSizeFields(const QLineEdit* heightField, const QLineEdit* widthField);

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
// The picture of the source chosen in frame №1, tested in the order Picture, Screen, MCopy,
// otherwise Image (the view's own picture). A window never filled before is created here and
// gives its blank canvas.
QImage SourceFramePicture(MainWindow& w);

} // namespace tesmaro
