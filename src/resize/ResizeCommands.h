#pragma once
// "MCopy" (the multicopy and the two resamplers) and "Реверс Picture №", as commands over plain
// requests and the document.

#include "document/Checked.h"
#include "document/Command.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace tesmaro::resize {

inline const QString kMulticopyFailed = QStringLiteral("Ошибка в режиме мультикопирования");
inline const QString kReverseFailed = QStringLiteral("Ошибка при выполнении реверса");

enum class MulticopyMode { All, PixelAccess, Dib }; // "All  ", "XY VB", "XY API"

struct MulticopyRequest {
    // Read in this order; a field that is not a number (or out of its range) fails the run there.
    Checked<std::int32_t> height;           // the destination column's Height, Hd
    Checked<std::int32_t> width;            // the destination column's Width, Wd
    Checked<float> randomPercent;           // "Рандомизация", r
    Checked<std::int16_t> redPercent;       // "Красный"
    Checked<std::int16_t> greenPercent;     // "Зеленый"
    Checked<std::int16_t> bluePercent;      // "Синий"
    std::optional<std::int32_t> rasterCode; // "Copy  As"
    MulticopyMode mode = MulticopyMode::All;
    bool clearResult = true; // "Очистить приемник"
};

// "MCopy": Temp.bmp into frmMCopy1, the result in frmMCopy2 and TempMC.bmp.
Command multicopyCommand(MulticopyRequest request);

struct ReverseRequest {
    bool second = false; // frame "№": frmPicture2 rather than frmPicture1
};

// "Реверс Picture №".
Command reverseCommand(ReverseRequest request);

} // namespace tesmaro::resize
