// The command line: a picture to load, --help and --version answered without a window, and
// what is refused.
#include "shell/CommandLine.h"

#include <QDir>
#include <gtest/gtest.h>

namespace tesmaro {
namespace {

CommandLine read(const QStringList& args) {
    return readCommandLine(QStringList{"tesmaro5"} + args);
}

TEST(CommandLine, NothingOrOneFileStartsTheProgram) {
    const CommandLine none = read({});
    EXPECT_FALSE(none.exit);
    EXPECT_FALSE(none.file);

    const CommandLine relative = read({"pictures/cat.png"});
    EXPECT_FALSE(relative.exit);
    ASSERT_TRUE(relative.file);
    EXPECT_EQ(*relative.file, QDir::current().absoluteFilePath("pictures/cat.png"));
    EXPECT_EQ(*read({"/tmp/a b.bmp"}).file, "/tmp/a b.bmp");
    // A name that starts with a dash, after "--".
    EXPECT_EQ(*read({"--", "-odd.png"}).file, QDir::current().absoluteFilePath("-odd.png"));
}

TEST(CommandLine, HelpAndVersionAnswerAndEnd) {
    for (const QString& h : {"-h", "--help"}) {
        const CommandLine c = read({h});
        EXPECT_TRUE(c.exit) << h.toStdString();
        EXPECT_EQ(c.exitCode, 0);
        EXPECT_TRUE(c.output.startsWith("Использование: tesmaro5")) << c.output.toStdString();
        EXPECT_TRUE(c.output.contains("--version"));
        EXPECT_TRUE(c.output.contains("tesmaro5 mcopy --help") &&
                    c.output.contains("tesmaro5 reverse --help"));
    }
    for (const QString& v : {"-v", "--version"}) {
        const CommandLine c = read({v, "ignored.png"});
        EXPECT_TRUE(c.exit);
        EXPECT_EQ(c.exitCode, 0);
        EXPECT_EQ(c.output, QString("Tesmaro5 %1\n").arg(TESMARO_VERSION));
    }
}

TEST(CommandLine, UnknownOptionsAndSeveralFilesAreRefused) {
    for (const QStringList& args :
         {QStringList{"--frobnicate"}, QStringList{"-x"}, QStringList{"a.png", "b.png"}}) {
        const CommandLine c = read(args);
        EXPECT_TRUE(c.exit) << args.join(' ').toStdString();
        EXPECT_EQ(c.exitCode, 2);
        EXPECT_TRUE(c.output.contains("Использование:"));
        EXPECT_FALSE(c.file);
    }
}

} // namespace
} // namespace tesmaro
