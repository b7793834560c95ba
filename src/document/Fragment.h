#pragma once
// The fragment record and the procedures the copy, the multicopy and the editor's transfers
// share: the two rectangles of the coordinate fields, the stretched drawing of one into the other
// with the raster code, and the AutoSize choice.

#include "core/Raster.h"
#include "document/AppState.h"
#include "document/Checked.h"

#include <cstdint>
#include <optional>

namespace tesmaro {

class Canvas;

// The coordinate fields, single-precision pixels: the source rectangle (left column) and the
// destination rectangle (right column), each Y0, X0, Ymax, Xmax as the fields are read.
struct FragmentFields {
    Checked<float> srcY0, srcX0, srcYmax, srcXmax;
    Checked<float> dstY0, dstX0, dstYmax, dstXmax;
};

// SrcY0 ... DstXmax from the fields in this order. Throws CommandFailure at the first field that
// is not a number; the fields before it are stored.
void ReadFragmentFields(AppState& state, const FragmentFields& fields);
// Every field checked in the same order; nothing stored.
void checkFragmentFields(const FragmentFields& fields);
// RasterCode from the choice of "Copy  As"; unchanged when nothing is chosen.
void ReadRasterMode(AppState& state, std::optional<std::int32_t> rasterCode);

// The source rectangle (SrcX0, SrcY0, SrcXmax x SrcYmax) of source, scaled into the destination
// rectangle (DstX0, DstY0, DstXmax x DstYmax) of dest, combined with RasterCode.
void PaintFragment(const AppState& state, Canvas& dest, const ConstRasterView& source);

// AutoSize off for "False", on for "True"; unchanged when neither is chosen.
void ApplyAutoSize(std::optional<bool> autoSize, Canvas& canvas);

} // namespace tesmaro
