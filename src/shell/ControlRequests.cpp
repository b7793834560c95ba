#include "shell/ControlRequests.h"

#include "core/RasterOp.h"
#include "shell/FieldReader.h"
#include "shell/MainWindow.h"

namespace tesmaro::requests {
namespace {

using transfer::SourceWindow;

// Frame №1, tested in the order Picture, Screen, MCopy, otherwise Image.
SourceWindow sourceWindow(const MainWindow& w) {
    if (w.Option2->isChecked())
        return SourceWindow::Picture;
    if (w.Option7->isChecked())
        return SourceWindow::Screen;
    if (w.Option19->isChecked())
        return SourceWindow::MCopy;
    return SourceWindow::Image;
}

// "Copy  As"; nothing when no option is chosen (RasterCode then stays).
std::optional<std::int32_t> rasterCode(const MainWindow& w) {
    std::optional<std::int32_t> code;
    if (w.Option12->isChecked())
        code = SRCCOPY;
    if (w.Option13->isChecked())
        code = SRCAND;
    if (w.Option14->isChecked())
        code = SRCERASE;
    if (w.Option15->isChecked())
        code = SRCINVERT;
    if (w.Option16->isChecked())
        code = SRCPAINT;
    return code;
}

// "Stretch, AutoSize": "False" then "True", the later one winning.
std::optional<bool> fit(const MainWindow& w) {
    std::optional<bool> on;
    if (w.Option5->isChecked())
        on = false;
    if (w.Option6->isChecked())
        on = true;
    return on;
}

// Left column source, right column destination; each Y0, X0, Ymax, Xmax.
FragmentFields fragmentFields(const MainWindow& w) {
    return FragmentFields{FieldReader::single(w.Text1),  FieldReader::single(w.Text2),
                          FieldReader::single(w.Text3),  FieldReader::single(w.Text4),
                          FieldReader::single(w.Text11), FieldReader::single(w.Text12),
                          FieldReader::single(w.Text13), FieldReader::single(w.Text14)};
}

// "Размер задать" with the given column's Height and Width fields.
std::optional<Checked<QSize>> imposedSize(const MainWindow& w, const QLineEdit* height,
                                          const QLineEdit* width) {
    if (!w.Check4->isChecked())
        return std::nullopt;
    return FieldReader::size(height, width);
}

} // namespace

transfer::LoadRequest load(const MainWindow& w) {
    using transfer::LoadTarget;
    const bool fromClipboard = w.Check6->isChecked();
    Checked<LoadTarget> target = LoadTarget::Image;
    if (w.Option7->isChecked())
        target = fromClipboard ? Checked<LoadTarget>::refused(transfer::kScreenFromClipboard)
                               : Checked<LoadTarget>(LoadTarget::Screen);
    else if (w.Option19->isChecked())
        target = Checked<LoadTarget>::refused(transfer::kNoLoadIntoMCopy);
    else if (w.Option2->isChecked())
        target = LoadTarget::Picture;
    return transfer::LoadRequest{.target = target,
                                 .fromClipboard = fromClipboard,
                                 .imposedSize = imposedSize(w, w.Text7, w.Text8),
                                 .fit = fit(w)};
}

transfer::CopyRequest copy(const MainWindow& w) {
    using transfer::CopyTarget;
    const bool fragment = w.Option11->isChecked();
    const bool intoPicture = w.Option4->isChecked();
    Checked<CopyTarget> target = intoPicture ? CopyTarget::Picture : CopyTarget::Image;
    if (fragment && !intoPicture)
        target = Checked<CopyTarget>::refused(transfer::kNoFragmentIntoImage);
    return transfer::CopyRequest{.fields = fragmentFields(w),
                                 .rasterCode = rasterCode(w),
                                 .fragment = fragment,
                                 .target = target,
                                 .imposedSize = imposedSize(w, w.Text17, w.Text18),
                                 .source = sourceWindow(w),
                                 .fit = fit(w),
                                 .clearTarget = w.Check5->isChecked()};
}

transfer::SaveRequest save(const MainWindow& w) {
    const QString name = w.Text5->text();
    return transfer::SaveRequest{.name = name.isEmpty() ? Checked<QString>::refused(transfer::kNoFileName)
                                                        : Checked<QString>(name),
                                 .toClipboard = w.Check6->isChecked(),
                                 .second = w.Option30->isChecked(),
                                 .source = sourceWindow(w)};
}

resize::MulticopyRequest multicopy(const MainWindow& w) {
    using resize::MulticopyMode;
    MulticopyMode mode = MulticopyMode::All;
    if (w.Option28->isChecked())
        mode = MulticopyMode::Dib;
    else if (w.Option10->isChecked())
        mode = MulticopyMode::PixelAccess;
    return resize::MulticopyRequest{.height = FieldReader::int32(w.Text17),
                                    .width = FieldReader::int32(w.Text18),
                                    .randomPercent = FieldReader::single(w.Text10),
                                    .redPercent = FieldReader::int16(w.Text21),
                                    .greenPercent = FieldReader::int16(w.Text22),
                                    .bluePercent = FieldReader::int16(w.Text23),
                                    .rasterCode = rasterCode(w),
                                    .mode = mode,
                                    // A check box in any state but "off" clears.
                                    .clearResult = w.Check5->checkState() != Qt::Unchecked};
}

resize::ReverseRequest reverse(const MainWindow& w) {
    return resize::ReverseRequest{.second = secondPicture(w)};
}

editor::Tool tool(const MainWindow& w) {
    using editor::Tool;
    if (w.Option23->isChecked())
        return Tool::Line;
    if (w.Option24->isChecked())
        return Tool::Segment;
    if (w.Option25->isChecked())
        return Tool::Eraser;
    if (w.Option26->isChecked())
        return Tool::Label;
    if (w.Option17->isChecked())
        return Tool::PickColour;
    if (w.Option18->isChecked())
        return Tool::Circle;
    if (w.Option27->isChecked())
        return Tool::Square;
    return Tool::None;
}

editor::ToolRequest toolPress(const MainWindow& w) {
    return editor::ToolRequest{
        .tool = tool(w), .labelText = w.Text16->text(), .dotDiameter = FieldReader::int16(w.Text19)};
}

editor::TransferRequest draftTransfer(const MainWindow& w) {
    return editor::TransferRequest{.fields = fragmentFields(w),
                                   .imposedSize = imposedSize(w, w.Text17, w.Text18),
                                   .rasterCode = rasterCode(w),
                                   .fragment = w.Option11->isChecked(),
                                   .fit = fit(w),
                                   .clearReceiver = w.Check5->isChecked(),
                                   .second = secondPicture(w)};
}

bool secondPicture(const MainWindow& w) {
    return w.Option30->isChecked();
}

editor::PixelRequest pixel(const MainWindow& w) {
    return editor::PixelRequest{.y0 = FieldReader::single(w.Text11), .x0 = FieldReader::single(w.Text12)};
}

} // namespace tesmaro::requests
