#pragma once
// The state of one surface the undo history covers: a picture window (its canvas or image view,
// its scroll bars, its title, whether it exists and is shown) or the draft pad (its canvas and
// its two bars). Pictures are held by reference; taking a state copies no pixels.

#include "document/Canvas.h"
#include "document/ImageView.h"
#include "document/ProgramWindows.h"
#include "document/ScrollBars.h"

#include <QString>

#include <array>

namespace tesmaro {

class Document;

// The picture windows in the order of WindowId, then the draft pad.
enum class Surface { Image1, Image2, Picture1, Picture2, Temp, MCopy1, MCopy2, DraftPad };
inline constexpr std::array<Surface, 8> kAllSurfaces = {
    Surface::Image1, Surface::Image2, Surface::Picture1, Surface::Picture2,
    Surface::Temp,   Surface::MCopy1, Surface::MCopy2,   Surface::DraftPad};

struct SurfaceState {
    bool exists = false; // a window that does not exist has no other state
    bool visible = false;
    QString title;
    CanvasPixels canvas; // picture windows and the draft pad
    ViewPixels view;     // image windows
    ScrollState vertical;
    ScrollState horizontal;
};

// The surface's canvas, or null (an image window, or a window that does not exist).
Canvas* surfaceCanvas(const Document& document, Surface surface);

SurfaceState captureSurface(const Document& document, Surface surface);
// Puts the state back: a window that did not exist is discarded, one that did is created if
// needed and shown or hidden as it was.
void restoreSurface(Document& document, Surface surface, const SurfaceState& state);

// Whether the two states show the same: pictures compared pixel by pixel (unless they share
// them), sizes, AutoSize, Stretch, scroll ranges and positions, titles, whether the window is
// shown. A window that does not exist counts as one freshly created and hidden (windows are
// created hidden whenever something refers to them). withRaster false leaves the canvas raster
// out.
bool sameContent(Surface surface, const SurfaceState& a, const SurfaceState& b, bool withRaster = true);

// As sameContent, but pictures above about a megabyte with pixels of their own are compared on a
// sample of their rows only: Different is sure, Unproven means the samples agreed.
enum class Sameness { Same, Different, Unproven };
Sameness quickSameness(Surface surface, const SurfaceState& a, const SurfaceState& b, bool withRaster = true);

// Pixels held, in bytes; a raster and a picture sharing their pixels count once.
qint64 heldBytes(const SurfaceState& state);

// Both null, or the same size and the same pixels (in a Format_RGB32 sense, row by row).
bool samePixels(const QImage& a, const QImage& b);

} // namespace tesmaro
