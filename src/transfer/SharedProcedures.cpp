#include "transfer/SharedProcedures.h"

#include "core/FieldNumber.h"
#include "core/RasterOp.h"
#include "shell/CommandFailure.h"
#include "shell/FieldReader.h"
#include "shell/MainWindow.h"
#include "transfer/PictureFiles.h"
#include "windows/Windows.h"

namespace tesmaro {

namespace {

int sizeFromField(const QLineEdit* field) {
    const double pixels = roundHalfEven(FieldReader::single(field));
    if (!(pixels >= 0 && pixels <= kMaxPictureSide))
        throw CommandFailure("size refused");
    return static_cast<int>(pixels);
}

} // namespace

ConstRasterView pictureRaster(const QImage& picture) {
    if (picture.isNull() || picture.format() != QImage::Format_RGB32)
        return {};
    return ConstRasterView{reinterpret_cast<const std::uint32_t*>(picture.constBits()), picture.width(),
                           picture.height(), static_cast<int>(picture.bytesPerLine() / 4)};
}

QSize ReadSizeFields(const QLineEdit* heightField, const QLineEdit* widthField) {
    const int height = sizeFromField(heightField);
    const int width = sizeFromField(widthField);
    return QSize(width, height);
}

void ReadFragmentFields(MainWindow& w) {
    AppState& s = w.state;
    s.SrcY0 = FieldReader::single(w.Text1);
    s.SrcX0 = FieldReader::single(w.Text2);
    s.SrcYmax = FieldReader::single(w.Text3);
    s.SrcXmax = FieldReader::single(w.Text4);
    s.DstY0 = FieldReader::single(w.Text11);
    s.DstX0 = FieldReader::single(w.Text12);
    s.DstYmax = FieldReader::single(w.Text13);
    s.DstXmax = FieldReader::single(w.Text14);
}

void ReadRasterMode(MainWindow& w) {
    if (w.Option12->isChecked())
        w.state.RasterCode = SRCCOPY;
    if (w.Option13->isChecked())
        w.state.RasterCode = SRCAND;
    if (w.Option14->isChecked())
        w.state.RasterCode = SRCERASE;
    if (w.Option15->isChecked())
        w.state.RasterCode = SRCINVERT;
    if (w.Option16->isChecked())
        w.state.RasterCode = SRCPAINT;
}

void PaintFragment(MainWindow& w, Canvas& dest, const ConstRasterView& source) {
    const AppState& s = w.state;
    dest.paintPicture(source, RectF{s.SrcX0, s.SrcY0, s.SrcXmax, s.SrcYmax},
                      RectF{s.DstX0, s.DstY0, s.DstXmax, s.DstYmax}, s.RasterCode);
}

void ApplyAutoSize(MainWindow& w, Canvas& canvas) {
    if (w.Option5->isChecked())
        canvas.setAutoSize(false);
    if (w.Option6->isChecked())
        canvas.setAutoSize(true);
}

void ShowPicture2Result(MainWindow& w) {
    PictureWindow* win = windows::frmPicture2();
    AppState& s = w.state;
    s.PicHeight = win->picMain->canvasHeight();
    s.PicWidth = win->picMain->canvasWidth();
    if (!win->setScrollMax(s.PicHeight, s.PicWidth))
        throw CommandFailure("size beyond the scroll range");
    win->picMain->refresh();
    win->show();
    w.Text17->setText(QString::number(s.PicHeight));
    w.Text18->setText(QString::number(s.PicWidth));
}

QImage SourceFramePicture(MainWindow& w) {
    if (w.Option2->isChecked())
        return windows::frmPicture1()->picMain->image();
    if (w.Option7->isChecked())
        return windows::frmTemp()->picMain->image();
    if (w.Option19->isChecked())
        return windows::frmMCopy2()->picMain->image();
    return windows::frmImage1()->Image1->picture();
}

} // namespace tesmaro
