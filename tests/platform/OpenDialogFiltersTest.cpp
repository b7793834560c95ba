// The open dialog's file types, through Qt's own dialog set up as the program sets it up: what
// each type lists in a folder of awkward names.
#include "platform/qt/OpenDialogFilters.h"
#include "support/PlatformDoubles.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLineEdit>
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

// A path typed into the name field and Enter open that file: a full path into the starting folder
// (whose folders the dialog passes through on the way) or into another folder, or a bare name.
// Typed both with the field holding the application's focus and without it, as when the window
// system has not yet given the dialog the focus or keeps it for the completer's list: then the
// dialog once kept the folders it passed through selected, put the completed name in the field,
// and on Enter went into the first folder with an empty field.
TEST_F(OpenDialogTypes, EnterOpensATypedPathFullOrBare) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("other"));
    QFile inOther(dir.filePath("other/o.bmp"));
    ASSERT_TRUE(inOther.open(QIODevice::WriteOnly));
    inOther.close();
    const QString here = QDir(dir.path()).absolutePath();
    const QString cases[][2] = {{here + "/a.bmp", here + "/a.bmp"},
                                {here + "/other/o.bmp", here + "/other/o.bmp"},
                                {"c.Bmp", here + "/c.Bmp"}};
    QWidget elsewhere;
    for (const bool focused : {true, false}) {
        for (const auto& [typed, opened] : cases) {
            SCOPED_TRACE((focused ? "focused: " : "unfocused: ") + typed.toStdString());
            QFileDialog shown;
            OpenFileRequest request;
            request.filter = kLoadFilter;
            request.initialDir = dir.path();
            configureOpenDialog(shown, request);
            QStringList chosen;
            QObject::connect(&shown, &QFileDialog::filesSelected, [&](const QStringList& f) { chosen = f; });
            shown.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown));
            QLineEdit* name = shown.findChild<QLineEdit*>("fileNameEdit");
            ASSERT_TRUE(name);
            QWidget* active = focused ? static_cast<QWidget*>(&shown) : &elsewhere;
            active->show();
            active->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(active));
            // Key by key, a little apart, so the folder is read and the completer's list comes up.
            for (const QChar c : typed) {
                QTest::keyClick(name, c.toLatin1());
                QTest::qWait(3);
            }
            QTest::qWait(200);
            QTest::keyClick(name, Qt::Key_Return);
            EXPECT_EQ(shown.result(), QDialog::Accepted) << "name field: " << name->text().toStdString();
            EXPECT_EQ(chosen, QStringList{opened});
        }
    }
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
