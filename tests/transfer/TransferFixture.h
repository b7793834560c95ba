#pragma once
// Shared set-up of the load, copy and save tests: a started program with the platform doubles,
// pictures whose every pixel is known from a formula, and picture files outside the program's
// folder to load from.

#include "support/AppFixture.h"
#include "transfer/TransferCommands.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

namespace tesmaro::testing {

// A picture whose pixels differ from their neighbours, so a shifted, flipped or cropped copy
// never passes for the right one. seed gives different pictures of the same size.
inline QRgb patternPixel(int x, int y, int seed = 0) {
    return qRgb((x * 7 + y * 3 + seed * 29) & 255, (x * 11 + y * 13 + 50 + seed * 7) & 255,
                ((x * 5) ^ (y * 17) ^ seed) & 255);
}

inline QImage patternPicture(int width, int height, int seed = 0) {
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y, patternPixel(x, y, seed));
    return img;
}

inline QImage filled(int width, int height, QRgb colour) {
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(colour);
    return img;
}

inline QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

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
