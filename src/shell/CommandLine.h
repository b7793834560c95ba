#pragma once
// The program's command line: `tesmaro5 [FILE]` loads FILE into the source picture window at
// start-up, as a file load into "Picture" does; --help and --version answer on the terminal and
// end the program without opening a window. Read before any window system is touched, so both
// answer on a machine without a display too.

#include <QString>
#include <QStringList>

#include <optional>

namespace tesmaro {

struct CommandLine {
    bool exit = false; // answered: end with exitCode, open no window
    int exitCode = 0;
    QString output;              // for standard output (or standard error when exitCode is not 0)
    std::optional<QString> file; // absolute path of the picture to load
};

CommandLine readCommandLine(const QStringList& arguments);

} // namespace tesmaro
