// Headless runs with a fake work: what command lines give, where results go and what is left
// alone, lists, exit codes, jobs and the progress line.
#include "batch/BatchRun.h"
#include "batch/OutputFiles.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

namespace tesmaro::batch {
namespace {

// Makes a picture from the input file's text "W H": every pixel a function of its place and of
// the text, so two files give different pictures; "fail" fails, "throw" throws. Counts the
// pictures alive.
std::atomic<int> alive{0}, mostAlive{0};
FileResult fakeWork(const QString& path, const BatchOptions&) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileResult::failed("не читается");
    const QList<QByteArray> words = file.readAll().split(' ');
    if (words == QList<QByteArray>{"throw"})
        throw std::runtime_error("сбой");
    if (words.size() != 2)
        return FileResult::failed("отказ");
    const int w = words[0].toInt(), h = words[1].toInt();
    auto* pixels = new std::uint32_t[std::size_t(w) * h];
    for (int i = 0; i < w * h; ++i)
        pixels[i] = 0xFF000000u | std::uint32_t(i * 2654435761u + w * 40503u + h) >> 8;
    const int now = ++alive;
    for (int m = mostAlive; now > m && !mostAlive.compare_exchange_weak(m, now);)
        ;
    std::this_thread::sleep_for(std::chrono::milliseconds(3)); // jobs overlap, as real work does
    return FileResult::done(QImage(
        reinterpret_cast<uchar*>(pixels), w, h, w * 4, QImage::Format_RGB32,
        [](void* p) { delete[] static_cast<std::uint32_t*>(p), --alive; }, pixels));
}

struct Console {
    QString out, err;
    QByteArray in;
    std::atomic<int> workCalls{0};
    BatchConsole console(bool terminal = false) {
        return {[this](const QString& t) { out += t; }, [this](const QString& t) { err += t; },
                [this] { return std::optional(in); }, terminal, 2};
    }
    int run(const QStringList& args, bool terminal = false) {
        return runBatch(
            QStringList{"tesmaro5"} + args,
            [&](const QString& p, const BatchOptions& o) {
                ++workCalls;
                return fakeWork(p, o);
            },
            console(terminal));
    }
};

QStringList words(const char* line) {
    return QString(line).split(' ');
}

TEST(BatchCommandLine, ValidLinesGiveTheirOptions) {
    BatchOptions mcopy;
    mcopy.multicopy.height = "1440";
    mcopy.multicopy.width = "2560";
    mcopy.jobs = 7;
    mcopy.outputFolder = "out";
    mcopy.files = {"a.jpg"};
    auto with = [](BatchOptions o, auto change) { return change(o), o; };
    const std::vector<std::pair<const char*, BatchOptions>> table{
        {"mcopy --height 1440 --width=2560 -o out a.jpg", mcopy},
        {"mcopy a.jpg -oout --width 2560 --height=1440", mcopy},
        {"mcopy --height=1440 --width=2560 -o out --mode xy-api --percent=50,60.5,-7 --random 12,5 "
         "--raster xor --no-clear --format=png --jobs 3 --overwrite --quiet --from - --from=l.txt -- -x.jpg "
         "--quiet",
         with(mcopy,
              [](BatchOptions& o) {
                  MulticopyFields& m = o.multicopy;
                  m.redPercent = "50", m.greenPercent = "60.5", m.bluePercent = "-7",
                  m.randomPercent = "12,5";
                  m.mode = MulticopyMode::Dib, m.rasterCode = SRCINVERT, m.clearResult = false;
                  o.format = OutputFormat::Png;
                  o.jobs = 3, o.overwrite = o.quiet = true;
                  o.lists = {"-", "l.txt"};
                  o.files = {"-x.jpg", "--quiet"};
              })},
        {"mcopy --height 0 --width 99999999999 --mode=xy-vb --raster and- -o out a.jpg",
         with(mcopy,
              [](BatchOptions& o) {
                  o.multicopy.height = "0", o.multicopy.width = "99999999999";
                  o.multicopy.mode = MulticopyMode::PixelAccess, o.multicopy.rasterCode = SRCERASE;
              })},
        {"reverse -o out --jobs=1 a.jpg b.png", with(BatchOptions{},
                                                     [](BatchOptions& o) {
                                                         o.command = BatchCommand::Reverse, o.jobs = 1;
                                                         o.outputFolder = "out", o.files = {"a.jpg", "b.png"};
                                                     })},
    };
    for (const auto& [line, expected] : table) {
        const ParsedCommand p = parseBatchCommand(QStringList{"tesmaro5"} + words(line), 7);
        EXPECT_EQ(p.outcome, ParsedCommand::Outcome::Run) << p.text.toStdString();
        EXPECT_TRUE(p.options == expected) << line;
    }
    for (const QString command : {"mcopy", "reverse"}) {
        Console c;
        EXPECT_EQ(c.run({command, "--frob", "-h"}), 0);
        EXPECT_TRUE(c.out.startsWith("Использование: tesmaro5 " + command));
    }
}

TEST(BatchCommandLine, RefusedLinesNameTheBadOptionAndReadNoFile) {
    // Each line with a valid rest; the text the message must hold.
    const std::vector<std::pair<const char*, QString>> table{
        {"mcopy --frob", "--frob"},         {"mcopy -x", "-x"},
        {"reverse --height 5", "--height"}, {"mcopy --mode fast", "«fast»"},
        {"mcopy --raster=and", "«and»"},    {"reverse --format jpg", "«jpg»"},
        {"mcopy --height 1e3", "«1e3»"},    {"mcopy --width=", "--width"},
        {"mcopy --random x", "«x»"},        {"mcopy --percent 1,2", "--percent"},
        {"mcopy --percent 1,2,b", "«b»"},   {"mcopy --jobs -2", "«-2»"},
        {"mcopy --jobs=0", "«0»"},          {"mcopy --jobs 2.5", "«2.5»"},
        {"mcopy --quiet=1", "--quiet"},     {"mcopy --from /nonexistent/list", "--from"},
    };
    for (const auto& [line, named] : table) {
        Console c;
        EXPECT_EQ(c.run(words(line) + words("--height 10 --width 10 -o out a.jpg")), 2) << line;
        EXPECT_TRUE(c.err.contains(named) && c.err.count('\n') == 1) << c.err.toStdString();
        EXPECT_EQ(c.workCalls, 0);
    }
    const std::vector<std::pair<const char*, QString>> incomplete{{"mcopy --width 1 -o o a", "--height"},
                                                                  {"mcopy --height 1 -o o a", "--width"},
                                                                  {"reverse a", "-o"},
                                                                  {"reverse -o o", "--from"},
                                                                  {"reverse -o", "-o"},
                                                                  {"reverse -o /proc/x a", "«/proc/x»"}};
    for (const auto& [line, named] : incomplete) {
        Console c;
        EXPECT_EQ(c.run(words(line)), 2) << line;
        EXPECT_TRUE(c.err.contains(named)) << c.err.toStdString();
    }
}

TEST(BatchOutputs, NamesReplaceTheLastExtension) {
    const std::vector<std::pair<QString, QString>> table{{"/p/a.jpg", "o/a.bmp"},
                                                         {"a.tar.gz", "o/a.tar.bmp"},
                                                         {"photo", "o/photo.bmp"},
                                                         {"x/.hidden", "o/.hidden.bmp"}};
    for (const auto& [input, output] : table)
        EXPECT_EQ(outputPathFor(input, "o", OutputFormat::Bmp), output);
    EXPECT_EQ(outputPathFor("a.b.JPG", "/o/", OutputFormat::Png), "/o/a.b.png");
}

class BatchFiles : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    void put(const QString& name, const QByteArray& bytes) {
        QDir(dir.path()).mkpath(QFileInfo(path(name)).path());
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }
    QByteArray bytes(const QString& name) const {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // The written picture equals the fake work's picture of the input.
    void expectResult(const QString& output, const QString& input) const {
        const QImage written = QImageReader(path(output)).read().convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(written, fakeWork(path(input), {}).picture) << output.toStdString();
    }
    QTemporaryDir dir;
};

TEST_F(BatchFiles, ClashesExistingOutputsAndInputsAreLeftAloneAndReported) {
    for (const char* name : {"a.jpg", "b.png", "sub/a.gif", "c.jpg", "out/d.bmp"})
        put(name, "3 2");
    put("bad.jpg", "fail");
    put("out/c.bmp", "old");
    const QStringList args{
        "reverse",         "-o",          path("out"),       path("a.jpg"),   path("b.png"),
        path("sub/a.gif"), path("c.jpg"), path("out/d.bmp"), path("bad.jpg"), path("b.png")};
    for (const bool overwrite : {false, true}) {
        Console c;
        EXPECT_EQ(c.run(overwrite ? args + QStringList{"--overwrite"} : args), 1);
        QStringList lines = c.err.split('\n', Qt::SkipEmptyParts);
        lines.sort();
        ASSERT_EQ(lines.size(), overwrite ? 4 : 5) << c.err.toStdString();
        EXPECT_TRUE(lines[0].startsWith(path("a.jpg") + ": ") && lines[0].contains(path("sub/a.gif")));
        EXPECT_TRUE(lines[1].startsWith(path("bad.jpg") + ": отказ"));
        EXPECT_EQ(lines[2].startsWith(path("c.jpg") + ": "), !overwrite);
        EXPECT_TRUE(lines.last().startsWith(path("sub/a.gif") + ": ") &&
                    lines.last().contains(path("a.jpg")));
        EXPECT_EQ(bytes("out/d.bmp"), "3 2");
        EXPECT_EQ(bytes("out/c.bmp") == "old", !overwrite);
        expectResult("out/b.bmp", "b.png");
        EXPECT_FALSE(QFile::exists(path("out/a.bmp")));
    }
    expectResult("out/c.bmp", "c.jpg");
    EXPECT_EQ(QDir(path("out")).entryList(QDir::Files | QDir::Hidden).size(), 3); // no temporary left
}

TEST_F(BatchFiles, ListsFromFilesAndStandardInput) {
    put("x 1.png", "4 4"), put("y.png", "1 9"), put("z.png", "2 2");
    put("list", (path("x 1.png") + "\r\n\n" + path("y.png") + "\n").toUtf8());
    Console c;
    c.in = path("z.png").toUtf8();
    EXPECT_EQ(c.run({"reverse", "--format=png", "--from", path("list"), "-o", path("o"), "--from", "-"}), 0);
    EXPECT_EQ(c.err, "");
    for (const char* name : {"x 1", "y", "z"})
        expectResult(QString("o/%1.png").arg(name), QString("%1.png").arg(name));
}

TEST_F(BatchFiles, ParallelRunsWriteWhatSerialRunsWriteWithOnePictureAJob) {
    QStringList inputs;
    for (int i = 0; i < 24; ++i) {
        put(QString("%1.jpg").arg(i), QByteArray::number(40 + i * 7) + ' ' + QByteArray::number(300 - i * 5));
        inputs << path(QString("%1.jpg").arg(i));
    }
    for (const char* jobs : {"1", "4"}) {
        mostAlive = 0;
        EXPECT_EQ(Console().run(QStringList{"mcopy", "--height=1", "--width=1", "--jobs", jobs, "-o",
                                            path(QString("j") + jobs)} +
                                inputs),
                  0);
        EXPECT_LE(mostAlive, QByteArray(jobs).toInt());
        EXPECT_GE(mostAlive, std::min(2, QByteArray(jobs).toInt()));
        EXPECT_EQ(alive, 0);
    }
    for (int i = 0; i < 24; ++i) {
        expectResult(QString("j1/%1.bmp").arg(i), QString("%1.jpg").arg(i));
        EXPECT_EQ(bytes(QString("j4/%1.bmp").arg(i)), bytes(QString("j1/%1.bmp").arg(i)));
    }
}

TEST_F(BatchFiles, ProgressOnlyOnATerminalAndNotWhenQuiet) {
    put("a.jpg", "2 2"), put("b.jpg", "fail"), put("c.jpg", "throw");
    struct Case {
        bool terminal;
        QString quiet;
        bool drawn;
    };
    for (const Case& k : {Case{true, "", true}, Case{true, "--quiet", false}, Case{false, "", false}}) {
        Console c;
        QStringList args{"reverse",     "--overwrite", "-o",         path("o"),
                         path("a.jpg"), path("b.jpg"), path("c.jpg")};
        if (!k.quiet.isEmpty())
            args << k.quiet;
        EXPECT_EQ(c.run(args, k.terminal), 1);
        EXPECT_EQ(c.err.contains("обработано 3 из 3, ") && c.err.endsWith("ошибок: 2\x1b[K\n"), k.drawn)
            << c.err.toStdString();
        EXPECT_EQ(c.err.contains('\r'), k.drawn);
        EXPECT_TRUE(c.err.contains(path("b.jpg") + ": отказ\n") &&
                    c.err.contains(path("c.jpg") + ": сбой\n"));
    }
}

} // namespace
} // namespace tesmaro::batch
