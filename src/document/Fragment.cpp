#include "document/Fragment.h"

#include "document/Canvas.h"

namespace tesmaro {

void ReadFragmentFields(AppState& s, const FragmentFields& f) {
    s.SrcY0 = f.srcY0.get();
    s.SrcX0 = f.srcX0.get();
    s.SrcYmax = f.srcYmax.get();
    s.SrcXmax = f.srcXmax.get();
    s.DstY0 = f.dstY0.get();
    s.DstX0 = f.dstX0.get();
    s.DstYmax = f.dstYmax.get();
    s.DstXmax = f.dstXmax.get();
}

void checkFragmentFields(const FragmentFields& f) {
    for (const Checked<float>* field :
         {&f.srcY0, &f.srcX0, &f.srcYmax, &f.srcXmax, &f.dstY0, &f.dstX0, &f.dstYmax, &f.dstXmax})
        field->get();
}

void ReadRasterMode(AppState& state, std::optional<std::int32_t> rasterCode) {
    if (rasterCode)
        state.RasterCode = *rasterCode;
}

void PaintFragment(const AppState& s, Canvas& dest, const ConstRasterView& source) {
    dest.paintPicture(source, RectF{s.SrcX0, s.SrcY0, s.SrcXmax, s.SrcYmax},
                      RectF{s.DstX0, s.DstY0, s.DstXmax, s.DstYmax}, s.RasterCode);
}

void ApplyAutoSize(std::optional<bool> autoSize, Canvas& canvas) {
    if (autoSize)
        canvas.setAutoSize(*autoSize);
}

} // namespace tesmaro
