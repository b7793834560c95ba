// A picture file dropped on a source window loads as "Загрузить " from that file would; other
// windows take no drop, and a drag that brings no local file is refused.
#include "TransferFixture.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace tesmaro::testing {
namespace {

class Drop : public TransferFixture {
protected:
    // A real drag over the widget and a drop on it; whether the drag was taken.
    bool dragAndDrop(QWidget* target, const QList<QUrl>& urls) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        if (!target->acceptDrops() || !enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        return true;
    }
};

TEST_F(Drop, SourceWindowsLoadTheFirstFileOthersTakeNone) {
    const QImage first = patternPicture(70, 40, 1), second = patternPicture(30, 20, 2);
    const QList<QUrl> files{QUrl::fromLocalFile(pictureFile(first, "first.png")),
                            QUrl::fromLocalFile(pictureFile(second, "second.png"))};
    main->Check6->setChecked(true); // the clipboard is not what a dropped file means
    for (WindowId id : {WindowId::Picture2, WindowId::Image2, WindowId::Temp, WindowId::MCopy2})
        EXPECT_FALSE(dragAndDrop(isImageWindow(id) ? static_cast<QWidget*>(imageWindowWidget(id))
                                                   : pictureWindowWidget(id),
                                 files))
            << static_cast<int>(id);
    EXPECT_FALSE(QFile::exists(tempBmp()));

    ASSERT_TRUE(dragAndDrop(pictureWindowWidget(WindowId::Picture1), files));
    EXPECT_TRUE(samePixels(first, pictureWindow(WindowId::Picture1)->picMain->image()));
    EXPECT_TRUE(samePixels(first, readTempBmp()));
    EXPECT_EQ(main->Text7->text(), "40");
    EXPECT_EQ(main->history().undoSteps(), 1);

    ASSERT_TRUE(dragAndDrop(imageWindowWidget(WindowId::Image1), {files[1]}));
    EXPECT_TRUE(samePixels(second, imageWindow(WindowId::Image1)->Image1->picture()));
    EXPECT_TRUE(imageWindow(WindowId::Image1)->isVisible());
    EXPECT_EQ(main->history().undoSteps(), 2);
    EXPECT_TRUE(fake->messages.shown.empty());
}

TEST_F(Drop, WhatIsNotALocalPictureIsRefusedOrFailsAsALoad) {
    EXPECT_FALSE(dragAndDrop(pictureWindowWidget(WindowId::Picture1), {QUrl("https://example.org/a.png")}));
    EXPECT_FALSE(dragAndDrop(pictureWindowWidget(WindowId::Picture1), {}));
    EXPECT_TRUE(fake->messages.shown.empty());
    // A local file that is no picture: the load's own message, nothing changed.
    QFile text(pictures.path() + "/notes.png");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not a picture");
    text.close();
    ASSERT_TRUE(dragAndDrop(pictureWindowWidget(WindowId::Picture1), {QUrl::fromLocalFile(text.fileName())}));
    EXPECT_EQ(messages(), QStringList{transfer::kLoadFailed});
    EXPECT_EQ(main->history().undoSteps(), 0);
}

} // namespace
} // namespace tesmaro::testing
