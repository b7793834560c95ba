// Where the open dialog starts: the user's pictures folder as the desktop names it, the home
// folder where there is none.
#include "platform/Platform.h"
#include "platform/qt/QtPlatform.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace tesmaro {
namespace {

class PicturesFolder : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = platform();
        m_home = qgetenv("HOME");
        m_config = qgetenv("XDG_CONFIG_HOME");
        ASSERT_TRUE(home.isValid() && config.isValid());
        qputenv("HOME", QFile::encodeName(home.path()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        installQtPlatform();
    }
    void TearDown() override {
        qputenv("HOME", m_home);
        if (m_config.isEmpty())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", m_config);
        installPlatform(m_previous);
    }
    void namePictures(const QString& relative) {
        QFile f(config.path() + "/user-dirs.dirs");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QString("XDG_PICTURES_DIR=\"$HOME/%1\"\n").arg(relative).toUtf8());
    }
    QString picturesFolder() { return platform().folder->picturesFolder(); }

    QTemporaryDir home, config;

private:
    Platform m_previous;
    QByteArray m_home, m_config;
};

TEST_F(PicturesFolder, TheFolderTheDesktopNames) {
    namePictures("Изображения");
    ASSERT_TRUE(QDir(home.path()).mkdir("Изображения"));
    EXPECT_EQ(picturesFolder(), QDir::cleanPath(home.path() + "/Изображения"));
}

TEST_F(PicturesFolder, HomeWhenThereIsNone) {
    namePictures("Изображения"); // named, but not there
    EXPECT_EQ(picturesFolder(), QDir::cleanPath(home.path()));
    QFile::remove(config.path() + "/user-dirs.dirs"); // nothing named: ~/Pictures, not there either
    EXPECT_EQ(picturesFolder(), QDir::cleanPath(home.path()));
}

} // namespace
} // namespace tesmaro
