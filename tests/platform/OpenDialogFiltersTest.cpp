// The open dialog's file types, through Qt's own dialog set up as the program sets it up: what
// each type lists in a folder of awkward names.
#include "platform/qt/OpenDialogFilters.h"
#include "support/PlatformDoubles.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace tesmaro::testing {
namespace {

const QString kLoadFilter =
    QStringLiteral("All Files (*.*)|*.*|BMP Files (*.bmp)|*.bmp|GIF Files (*.gif)|*.gif|"
                   "ICO Files (*.ico)|*.ico|JPG Files (*.jpg)|*.jpg|PNG Files (*.png)|*.png|");

const QStringList kFiles = {"README", "a.bmp",  "B.BMP",  "c.Bmp", "d.gif", "E.GIF", "f.ico",     "g.jpg",
                            "H.JPG",  "i.jpeg", "J.JPEG", "k.png", "L.PNG", "m.txt", "n.bmp.txt", "bmp"};

class OpenDialogTypes : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        for (const QString& name : kFiles) {
            QFile f(dir.filePath(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QDir(dir.path()).mkdir("sub.folder"));
        OpenFileRequest request;
        request.filter = kLoadFilter;
        request.filterIndex = 1;
        request.initialDir = dir.path();
        configureOpenDialog(dialog, request);
        model = dialog.findChild<QFileSystemModel*>();
        view = dialog.findChild<QListView*>("listView");
        ASSERT_TRUE(model && view);
        const QModelIndex root = model->index(dir.path());
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !model->canFetchMore(root) && model->rowCount(root) > 0; }, 5000));
    }
    // The files the dialog lists under the type shown as `type`, in name order.
    QStringList listed(const QString& type) {
        QComboBox* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        EXPECT_TRUE(types);
        const int index = types ? types->findText(type) : -1;
        EXPECT_GE(index, 0) << type.toStdString() << " is not offered";
        dialog.selectNameFilter(dialog.nameFilters().value(index));
        const QModelIndex root = model->index(dir.path());
        QStringList names;
        QTest::qWait(50);
        for (int row = 0; row < model->rowCount(root); ++row) {
            const QModelIndex i = model->index(row, 0, root);
            if (!model->isDir(i))
                names << model->fileName(i);
        }
        names.sort(Qt::CaseInsensitive);
        return names;
    }

    QTemporaryDir dir;
    QFileDialog dialog;
    QFileSystemModel* model = nullptr;
    QListView* view = nullptr;
};

TEST_F(OpenDialogTypes, EachTypeShowsItsDescriptionAsWritten) {
    QComboBox* types = dialog.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_TRUE(types);
    QStringList shown;
    for (int i = 0; i < types->count(); ++i)
        shown << types->itemText(i);
    EXPECT_EQ(shown, QStringList({"All Files (*.*)", "BMP Files (*.bmp)", "GIF Files (*.gif)",
                                  "ICO Files (*.ico)", "JPG Files (*.jpg)", "PNG Files (*.png)"}));
    EXPECT_EQ(types->currentIndex(), 0);
    EXPECT_EQ(dialog.directory().absolutePath(), QDir(dir.path()).absolutePath());
}

TEST_F(OpenDialogTypes, AllFilesListsEveryFileDotOrNot) {
    QStringList all = kFiles;
    all.sort(Qt::CaseInsensitive);
    EXPECT_EQ(listed("All Files (*.*)"), all);
}

TEST_F(OpenDialogTypes, TypesMatchTheirExtensionInAnyCase) {
    EXPECT_EQ(listed("BMP Files (*.bmp)"), QStringList({"a.bmp", "B.BMP", "c.Bmp"}));
    EXPECT_EQ(listed("GIF Files (*.gif)"), QStringList({"d.gif", "E.GIF"}));
    EXPECT_EQ(listed("ICO Files (*.ico)"), QStringList({"f.ico"}));
    EXPECT_EQ(listed("JPG Files (*.jpg)"), QStringList({"g.jpg", "H.JPG", "i.jpeg", "J.JPEG"}));
    EXPECT_EQ(listed("PNG Files (*.png)"), QStringList({"k.png", "L.PNG"}));
}

TEST(OpenDialogFilters, DescriptionsWithoutPatternGetTheirPatternShown) {
    const QStringList filters = openDialogNameFilters("Pictures|*.bmp;*.gif|Everything|*.*|");
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[0].startsWith("Pictures (*.bmp;*.gif) ")) << filters[0].toStdString();
    EXPECT_TRUE(filters[1].startsWith("Everything (*.*) ")) << filters[1].toStdString();
    EXPECT_TRUE(filters[1].endsWith("(*)")) << filters[1].toStdString();
}

} // namespace
} // namespace tesmaro::testing
