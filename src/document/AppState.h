#pragma once
// The values the commands share for the whole run (held by the document).

#include "core/RandomSequence.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>

namespace tesmaro {

struct DesktopRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;  // screen width, pixels
    std::int32_t bottom = 0; // screen height, pixels
};

// The settings the open, colour and font dialogs share between uses.
struct DialogSettings {
    bool CancelError = true;
    int Flags = 0;
    std::int32_t Color = 0; // packed; black before the first choice
};

struct AppState {
    DesktopRect rcDesktop;
    QString strWork;

    std::int32_t PicHeight = 0;
    std::int32_t PicWidth = 0;
    QString PicFileName;
    // The folder of the file last chosen in the open dialog during this run; empty before.
    QString lastOpenFolder;

    std::int32_t RasterCode = 0;
    float SrcY0 = 0, SrcX0 = 0, SrcYmax = 0, SrcXmax = 0;
    float DstY0 = 0, DstX0 = 0, DstYmax = 0, DstXmax = 0;

    float MCopyHeightF = 0, MCopyWidthF = 0, OverlayHeight = 0, OverlayWidth = 0;

    std::int32_t PenX = 0, PenY = 0;
    std::int16_t DotDiameter = 0;

    quintptr OnTopWindow = 0;
    quintptr ForegroundNow = 0;

    DialogSettings CD1;

    // The program's one random sequence, never seeded: every new document (every start of the
    // program) draws the same numbers.
    RandomSequence random;
};

} // namespace tesmaro
