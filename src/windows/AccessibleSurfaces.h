#pragma once
// What a screen reader is told the picture surfaces are: a canvas (picMain, the draft pad, the
// swatches) is a drawing surface, an image view (ImageViewWidget: Image1) a picture. Without this they would
// be anonymous panes. Each surface still needs its own accessible name.

namespace tesmaro {

// Installs the accessibility factory for CanvasWidget and ImageViewWidget; once per run, any number of calls.
void installAccessibleSurfaces();

} // namespace tesmaro
