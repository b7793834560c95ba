#include "batch/BatchRun.h"

#include "batch/OutputFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

namespace tesmaro::batch {
namespace {

using Clock = std::chrono::steady_clock;

QString quoted(const QString& text) {
    return QStringLiteral("«") + text + QStringLiteral("»");
}

// The paths of a list, one a line; a line's end may be "\r\n"; empty lines are skipped. Paths
// are in the file system's encoding, relative ones taken from the current folder.
QStringList listedPaths(const QByteArray& bytes) {
    QStringList paths;
    for (QByteArray line : bytes.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            paths << QFile::decodeName(line);
    }
    return paths;
}

std::optional<QByteArray> readList(const QString& list, const BatchConsole& console) {
    if (list == QLatin1String("-"))
        return console.in ? console.in() : std::nullopt;
    QFile file(list);
    if (!QFileInfo(list).isFile() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The count of a run, failure lines and the progress line; every call under one lock, so lines
// of different files never mix.
class Report {
public:
    Report(const BatchConsole& console, bool live, qsizetype total)
        : m_console(console), m_live(live), m_total(total), m_start(Clock::now()) {
        if (m_live)
            draw();
    }

    void succeeded() {
        std::lock_guard lock(m_mutex);
        ++m_done;
        drawSometimes();
    }

    void failed(const QString& input, const QString& reason) {
        std::lock_guard lock(m_mutex);
        ++m_done;
        ++m_failed;
        // On a terminal the line takes the progress line's place, which is drawn again below it.
        m_console.err((m_live ? QStringLiteral("\r\x1b[K") : QString()) + input + QStringLiteral(": ") +
                      reason + '\n');
        if (m_live)
            draw();
    }

    // The final progress line; the number of failures.
    qsizetype finish() {
        std::lock_guard lock(m_mutex);
        if (m_live) {
            draw();
            m_console.err(QStringLiteral("\n"));
        }
        return m_failed;
    }

private:
    void drawSometimes() {
        if (m_live && (m_done == m_total || Clock::now() - m_drawn >= std::chrono::milliseconds(100)))
            draw();
    }

    void draw() {
        m_drawn = Clock::now();
        const double seconds = std::chrono::duration<double>(m_drawn - m_start).count();
        const double rate = seconds > 0 ? m_done / seconds : 0.0;
        m_console.err(QStringLiteral("\rобработано %1 из %2, %3 файлов/с, ошибок: %4\x1b[K")
                          .arg(m_done)
                          .arg(m_total)
                          .arg(rate, 0, 'f', 1)
                          .arg(m_failed));
    }

    const BatchConsole& m_console;
    const bool m_live;
    const qsizetype m_total;
    const Clock::time_point m_start;
    Clock::time_point m_drawn;
    qsizetype m_done = 0;
    qsizetype m_failed = 0;
    std::mutex m_mutex;
};

FileResult runWork(const BatchWork& work, const QString& input, const BatchOptions& options) {
    try {
        FileResult result = work(input, options);
        if (result.picture.isNull() && result.failure.isEmpty())
            result.failure = QStringLiteral("результата нет");
        return result;
    } catch (const std::bad_alloc&) {
        return FileResult::failed(QStringLiteral("недостаточно памяти"));
    } catch (const std::exception& e) {
        return FileResult::failed(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        return FileResult::failed(QStringLiteral("неизвестная ошибка"));
    }
}

// One file, from its work to its written output; the picture lives only in here.
void runFile(const PlannedFile& file, const BatchOptions& options, const BatchWork& work, Report& report) {
    const FileResult result = runWork(work, file.input, options);
    if (result.picture.isNull())
        report.failed(file.input, result.failure);
    else if (!options.overwrite && QFileInfo::exists(file.output))
        report.failed(
            file.input,
            QStringLiteral("результат %1 появился во время работы и не заменяется").arg(quoted(file.output)));
    else if (!writePicture(result.picture, file.output, options.format))
        report.failed(file.input, QStringLiteral("не удалось записать %1").arg(quoted(file.output)));
    else
        report.succeeded();
}

// Runs the files on up to `jobs` threads, the calling one among them; fewer when the system
// gives no more threads.
void runAll(const std::vector<const PlannedFile*>& files, const BatchOptions& options, const BatchWork& work,
            Report& report) {
    std::atomic<std::size_t> next{0};
    const auto job = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++)
            runFile(*files[i], options, work, report);
    };
    const std::size_t jobs = std::min<std::size_t>(static_cast<std::size_t>(options.jobs), files.size());
    std::vector<std::thread> threads;
    for (std::size_t t = 1; t < jobs; ++t) {
        try {
            threads.emplace_back(job);
        } catch (const std::system_error&) {
            break;
        }
    }
    job();
    for (std::thread& thread : threads)
        thread.join();
}

} // namespace

BatchConsole processConsole() {
    BatchConsole console;
    console.out = [](const QString& text) {
        std::fputs(text.toLocal8Bit().constData(), stdout);
        std::fflush(stdout);
    };
    console.err = [](const QString& text) {
        std::fputs(text.toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
    };
    console.in = []() -> std::optional<QByteArray> {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return std::nullopt;
        return in.readAll();
    };
    console.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    console.cores = std::max(1, QThread::idealThreadCount());
    return console;
}

int runBatch(const QStringList& arguments, const BatchWork& work, const BatchConsole& console) {
    const ParsedCommand parsed = parseBatchCommand(arguments, std::max(1, console.cores));
    if (parsed.outcome == ParsedCommand::Outcome::Help) {
        console.out(parsed.text);
        return 0;
    }
    if (parsed.outcome == ParsedCommand::Outcome::UsageError) {
        console.err(parsed.text + '\n');
        return 2;
    }
    const BatchOptions& options = parsed.options;
    const QString prefix = QStringLiteral("tesmaro5 %1: ").arg(commandName(options.command));

    QStringList inputs = options.files;
    for (const QString& list : options.lists) {
        const std::optional<QByteArray> bytes = readList(list, console);
        if (!bytes) {
            console.err(prefix +
                        QStringLiteral("--from: не удалось прочитать список %1\n").arg(quoted(list)));
            return 2;
        }
        inputs << listedPaths(*bytes);
    }
    if (!QDir().mkpath(options.outputFolder) || !QFileInfo(options.outputFolder).isDir()) {
        console.err(prefix +
                    QStringLiteral("-o: не удалось создать папку %1\n").arg(quoted(options.outputFolder)));
        return 2;
    }

    const std::vector<PlannedFile> plan =
        planOutputs(distinctInputs(inputs), options.outputFolder, options.format, options.overwrite);
    Report report(console, console.errIsTerminal && !options.quiet, static_cast<qsizetype>(plan.size()));
    std::vector<const PlannedFile*> toRun;
    for (const PlannedFile& file : plan) {
        if (file.refusal.isEmpty())
            toRun.push_back(&file);
        else
            report.failed(file.input, file.refusal);
    }
    runAll(toRun, options, work, report);
    return report.finish() == 0 ? 0 : 1;
}

int runBatch(const QStringList& arguments, const BatchWork& work) {
    return runBatch(arguments, work, processConsole());
}

} // namespace tesmaro::batch
