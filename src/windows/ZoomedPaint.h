#pragma once
// What a zoomed view shows of a picture, painted row by row into a raster of the view's size.
// Only the part of the picture in view is read, and no zoomed copy of the picture is made: a
// view keeps one painter and one target raster and paints into them on every paint event.
//
// Target pixel (x, y) stands for the view's square [x, x+1) x [y, y+1) (see Zoom.h for the
// mapping; the scroll position is the picture pixel at the view's top-left corner):
// - at 100 % it is the picture pixel there, copied;
// - above 100 % it is the picture pixel under the square's top-left corner (nearest neighbour):
//   every target pixel is one picture pixel's colour, the same pixel zoom::picturePixel gives
//   for a click at (x, y), so each picture pixel is a sharp block;
// - below 100 % it is the average of the picture over the square, each channel rounded to the
//   nearest level (halves up). Picture pixels count by how much of them the square covers, so a
//   1-pixel checkerboard comes out an even grey at 50 %, 25 %, 12.5 % and 6.25 %, and close to
//   grey (its true average over squares of 1.5 or 3 pixels) at 66.7 % and 33.3 %.
//   A square of kSampledRows or more whole picture rows (12.5 % and 6.25 % among the steps) is
//   averaged over half of its rows only, every pixel of each: a repaint that read all of a
//   large picture would wait on the memory longer than a frame lasts. The rows are the even rows
//   of its upper half and the odd rows of its lower half (0, 2, 5, 7 of 8; 0, 2, 4, 6, 9, 11,
//   13, 15 of 16). So stripes of a period of 2 and 4 rows (and 8, in 16) are met exactly evenly,
//   and those of any other period up to 64 rows with at most one row more or less than their
//   share (1/4 of the square's mean at 12.5 %, 1/8 at 6.25 %) whatever their phase: a
//   checkerboard or 1-pixel stripes stay an even grey, and periodic stripes do not beat beyond
//   that. A square the picture's edge cuts, and one of a fraction of rows (a scale whose num is
//   not 1), is averaged over all its rows.
// Squares partly over the picture show the average of the part over it; target pixels not over
// the picture are `background`. Every target pixel is written, alpha 0xFF.
//
// To paint at a scaled screen's device pixels, pass zoom times the screen's ratio as the scale
// (1.5 at 200 % is 3/1) and a target of the device size; below 100 % a ratio that makes squares
// of a fraction of rows reads every row then, so at such ratios paint at the view's own size.

#include "core/Raster.h"
#include "windows/Zoom.h"

#include <cstdint>
#include <vector>

namespace tesmaro::zoom {

// Squares of at least this many whole picture rows are averaged over half of them.
constexpr int kSampledRows = 8;

class ZoomedPainter {
public:
    // Paints the view of picture at scale with the given scroll position into every pixel of
    // target (the view's size), or of its rows [firstRow, endRow) only (a paint event's
    // rectangle; the other rows are left as they are). The picture and the target must not
    // overlap. An invalid scale paints as 100 %. Nothing is kept from one paint to the next but
    // the working rows.
    void paint(const ConstRasterView& picture, Scale scale, int scrollX, int scrollY,
               const RasterView& target, std::uint32_t background, int firstRow = 0, int endRow = 1 << 30);

private:
    // One target column below 100 %: picture pixels [first, first + count) of the visible
    // columns, their weights starting at weights[weightIndex], 1 / the weights' total.
    struct Span {
        int first;
        int count;
        int weightIndex;
        double reciprocal;
    };
    // One picture row taken into a target row, and its weight.
    struct RowTap {
        int row;
        int weight;
    };

    void copy(const ConstRasterView& picture, int scrollX, int scrollY, const RasterView& target,
              std::uint32_t background);
    void nearest(const ConstRasterView& picture, Scale scale, int scrollX, int scrollY,
                 const RasterView& target, std::uint32_t background);
    void average(const ConstRasterView& picture, Scale scale, int scrollX, int scrollY,
                 const RasterView& target, std::uint32_t background);
    template <bool kUnitWeights>
    static void averageColumns(const Span* spans, int count, const std::uint32_t* weights,
                               const std::uint32_t* redBlue, const std::uint32_t* green, double rowReciprocal,
                               std::uint32_t* out);
    // Appends the picture rows a target row averages over (none when it is not over the picture).
    void rowTaps(long long top, Scale scale, int pictureHeight);

    int m_firstRow = 0; // the target rows painted, [m_firstRow, m_endRow)
    int m_endRow = 0;
    std::vector<int> m_columns; // above 100 %: the picture column of each target column
    std::vector<Span> m_spans;
    std::vector<std::uint32_t> m_weights;
    std::vector<RowTap> m_taps;  // every target row's, in turn
    std::vector<int> m_tapStart; // where each painted row's begin in m_taps, and the end
    // Below 100 %: the visible columns summed down a target row's picture rows, red and blue in
    // the 16-bit halves of one word, green in the low half of another.
    std::vector<std::uint32_t> m_redBlue;
    std::vector<std::uint32_t> m_green;
};

} // namespace tesmaro::zoom
