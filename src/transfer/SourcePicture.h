#pragma once
// The picture of the window frame №1 names, as copy and save take it.

#include "transfer/TransferCommands.h"

#include <QImage>

namespace tesmaro::transfer {

// Picture, Screen, MCopy: the canvas's picture (raster); Image: the view's own picture. A window
// never filled before is created here and gives its blank canvas.
QImage sourcePicture(Document& doc, SourceWindow source);

} // namespace tesmaro::transfer
