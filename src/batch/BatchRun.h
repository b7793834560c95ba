#pragma once
// A headless run: the command line read (batch/BatchOptions.h), the file list gathered, each
// file's result written to the output folder, failures and progress on standard error. What a
// file gives is the injected work's; this frame names, checks and writes the outputs, runs the
// files on --jobs threads and keeps the count.

#include "batch/BatchOptions.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tesmaro::batch {

// What one file gave: a picture, or the reason it failed.
struct FileResult {
    QImage picture;  // the result (Format_RGB32 expected; another format is converted when written)
    QString failure; // when picture is null: the reason, the program's own message where it has one

    static FileResult done(QImage picture) { return {std::move(picture), {}}; }
    static FileResult failed(QString reason) { return {{}, std::move(reason)}; }
};

// One file's work: load inputPath as "Загрузить " loads a file and run options.command on it
// without windows. Called on several threads at once, one file per call and at most one call
// per job, so it must depend on inputPath and options alone and share nothing unguarded. An
// exception it throws fails that file (std::bad_alloc as lack of memory, another std::exception
// with its what()); a null picture with no reason fails it with a general reason.
using BatchWork = std::function<FileResult(const QString& inputPath, const BatchOptions& options)>;

// What a run talks to. processConsole() is the process's own; tests put in their own.
struct BatchConsole {
    std::function<void(const QString&)> out;       // standard output: the help
    std::function<void(const QString&)> err;       // standard error; never called on two threads at once
    std::function<std::optional<QByteArray>()> in; // all of standard input (--from -); nothing if unreadable
    bool errIsTerminal = false;                    // the progress line is drawn only then
    int cores = 1;                                 // --jobs when not given
};

// Standard output and error through stdio (local 8-bit), standard input read to its end,
// isatty(2), the cores this process may run on.
BatchConsole processConsole();

// Runs `tesmaro5 mcopy ...` or `tesmaro5 reverse ...` (arguments: the program's, program name
// first; isBatchCommand(arguments) must hold) and returns the exit status: 0 when every file
// succeeded (also when the lists held no file), 1 when any failed, 2 for a usage error (one line
// on err, before any picture is read: a bad option or value, an unreadable --from list, an output
// folder that cannot be made). --help answers on out with 0.
//
// Files run on min(--jobs, files) threads, each taking the next file when it is done with one,
// so at most one source and one result per job are in memory. A file's output is checked again
// just before it is written, so an output that appeared meanwhile is still left alone (without
// --overwrite); a write that fails leaves no part of a file behind.
int runBatch(const QStringList& arguments, const BatchWork& work, const BatchConsole& console);

// runBatch with processConsole().
int runBatch(const QStringList& arguments, const BatchWork& work);

} // namespace tesmaro::batch
