#include "platform/Platform.h"
#include "resize/ProgressTitle.h"
#include "resize/ResizeCommands.h"
#include "resize/kernels/Mirror.h"
#include "resize/kernels/ParallelRows.h"
#include "shell/MainWindow.h"
#include "shell/Messages.h"
#include "windows/Windows.h"

namespace tesmaro::resize {
namespace {

void reverse(MainWindow& w) {
    PictureWindow* window = w.Option30->isChecked() ? windows::frmPicture2() : windows::frmPicture1();
    Canvas* box = window->picMain;
    const int height = box->canvasHeight();
    const int width = box->canvasWidth();
    w.state.PicHeight = height;
    w.state.PicWidth = width;

    // Reading and writing happen together per row here; the titles still go through both halves.
    ProgressTitle title(window, QStringLiteral("Реверс   выполнено "));
    for (int y = 1; y <= height; ++y)
        title.show(static_cast<int>(50LL * y / height));
    const RasterView rows = box->view();
    runRows(
        height, resizeThreadCount(),
        [&](int row, int) {
            if (!rows.empty())
                mirrorRow(rows.row(row), rows.width);
            return true;
        },
        [&](int row) { title.show(static_cast<int>(50LL * (row + 1) / height) + 50); });
    box->refresh();

    windows::frmPicture1()->setWindowTitle(QStringLiteral("Picture1 - источник"));
    windows::frmPicture2()->setWindowTitle(QStringLiteral("Picture2 - приемник"));
}

} // namespace

void Command5_Click(MainWindow& w) {
    platform().busy->setBusy(true);
    try {
        reverse(w);
    } catch (...) {
        showMessage(QStringLiteral("Ошибка при выполнении реверса"));
    }
    platform().busy->setBusy(false);
}

} // namespace tesmaro::resize
