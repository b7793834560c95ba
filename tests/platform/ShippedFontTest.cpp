// The control font ships inside the program: the main window looks the same, pixel for pixel, on a
// machine without the font package. The helper main_window_snapshot draws the main window in a
// process of its own, once with the machine's fonts and once with a fontconfig that knows no font.
#include "support/AppFixture.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

namespace tesmaro::testing {
namespace {

struct Snapshot {
    QImage image;
    bool systemFont = false;
};

Snapshot snapshot(const QProcessEnvironment& environment, const QString& out) {
    QProcess helper;
    helper.setProcessEnvironment(environment);
    helper.start(QStringLiteral(TESMARO_SNAPSHOT_HELPER), {out});
    EXPECT_TRUE(helper.waitForFinished(60000));
    EXPECT_EQ(helper.exitCode(), 0) << helper.readAllStandardError().toStdString();
    const QString said = QString::fromUtf8(helper.readAllStandardOutput());
    return {QImage(out).convertToFormat(QImage::Format_RGB32), said.contains("system font: yes")};
}

TEST(ShippedFont, MainWindowIsTheSameWithoutTheSystemFont) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A fontconfig with no font folder at all: no font of the machine can stand in.
    QFile config(dir.filePath("fonts.conf"));
    ASSERT_TRUE(config.open(QIODevice::WriteOnly));
    config.write(
        QStringLiteral("<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">\n"
                       "<fontconfig><cachedir>%1</cachedir></fontconfig>\n")
            .arg(dir.filePath("cache"))
            .toUtf8());
    config.close();

    QProcessEnvironment machine = QProcessEnvironment::systemEnvironment();
    machine.remove("FONTCONFIG_FILE");
    machine.remove("FONTCONFIG_PATH");
    QProcessEnvironment bare = machine;
    bare.insert("FONTCONFIG_FILE", config.fileName());

    const Snapshot with = snapshot(machine, dir.filePath("with.png"));
    const Snapshot without = snapshot(bare, dir.filePath("without.png"));
    if (!with.systemFont)
        GTEST_SKIP() << "the machine has no PT Sans Narrow (fonts-paratype) to compare with";
    EXPECT_FALSE(without.systemFont) << "the bare fontconfig still found the font";
    ASSERT_EQ(with.image.size(), QSize(792, 226));
    EXPECT_TRUE(samePixels(with.image, without.image));
}

} // namespace
} // namespace tesmaro::testing
