#pragma once
// Shared set-up of the load, copy and save tests through the panel: a started program with the
// platform doubles, and picture files outside the program's folder to load from (pictures whose
// every pixel is known from a formula come with support/TestPictures.h).

#include "support/AppFixture.h"
#include "transfer/TransferCommands.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace tesmaro::testing {

class TransferFixture : public AppFixture {
protected:
    // A lossless picture file outside the program's folder.
    QString pictureFile(const QImage& picture, const QString& name = "picture.png") {
        const QString path = pictures.path() + "/" + name;
        EXPECT_TRUE(picture.save(path)) << qPrintable(path);
        return path;
    }
    // The open dialog answers with path.
    void chooseFile(const QString& path) { fake->files.answer = {OpenFileResult::Outcome::Chosen, path}; }
    void select(QRadioButton* option) { option->setChecked(true); }

    // "Загрузить " of a file into the window chosen in frame №1.
    void loadFile(const QImage& picture, QRadioButton* target) {
        select(target);
        main->Check6->setChecked(false);
        chooseFile(pictureFile(picture, QString("load%1.png").arg(++m_loads)));
        main->Command1->click();
    }

    QString tempBmp() { return fake->filePath("Temp.bmp"); }
    QImage readTempBmp() { return QImage(tempBmp()).convertToFormat(QImage::Format_RGB32); }
    QStringList messages() const { return fake->messages.texts(); }

    // The hourglass went on and ended off.
    ::testing::AssertionResult hourglassOnThenOff() const {
        const auto& h = fake->busy.history;
        if (h.empty() || !h.front() || h.back())
            return ::testing::AssertionFailure() << "hourglass history does not go on and end off";
        return ::testing::AssertionSuccess();
    }

    QTemporaryDir pictures;

private:
    int m_loads = 0;
};

} // namespace tesmaro::testing
