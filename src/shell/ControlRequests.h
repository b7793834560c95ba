#pragma once
// The one place that knows what the panel's controls mean: each command's request, read from
// the controls as they are at the moment the command starts, every field converted and checked
// and every refusal decided here. The commands take the requests and never see a control.

#include "editor/EditorCommands.h"
#include "resize/ResizeCommands.h"
#include "transfer/TransferCommands.h"

namespace tesmaro {

class MainWindow;

namespace requests {

transfer::LoadRequest load(const MainWindow& w);
transfer::CopyRequest copy(const MainWindow& w);
transfer::SaveRequest save(const MainWindow& w);
resize::MulticopyRequest multicopy(const MainWindow& w);
resize::ReverseRequest reverse(const MainWindow& w);
editor::Tool tool(const MainWindow& w);
editor::ToolRequest toolPress(const MainWindow& w);
// "Из Picture" and "в Picture": the draft pad's transfer.
editor::TransferRequest draftTransfer(const MainWindow& w);
// Frame "№": the second picture window.
bool secondPicture(const MainWindow& w);
editor::PixelRequest pixel(const MainWindow& w);

} // namespace requests
} // namespace tesmaro
