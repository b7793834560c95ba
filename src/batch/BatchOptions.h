#pragma once
// The command lines of the headless runs, `tesmaro5 mcopy ...` and `tesmaro5 reverse ...`, in
// the GNU style: --opt=value and --opt value, -o DIR and -oDIR, options and files in any order,
// `--` ends the options. Long options are spelled in full (no abbreviations); an option given
// twice keeps its last value, except --from, which adds a list each time.
//
// What is refused here (a usage error, exit 2, before any file is read): an unknown option (the
// multicopy's options are unknown to reverse), a missing value, a value given to an option that
// takes none, a --mode, --raster or --format value outside its list, a --height, --width,
// --random or --percent value that is not a number at all (core/FieldNumber.h: "12", " 12,5",
// "-3" are numbers; "", "1e3", "12px" are not), a --percent without exactly three values, a
// --jobs that is not a whole number of at least 1, no -o, no FILE and no --from, and for mcopy
// no --height or no --width. A number that the control panel would refuse when the command
// runs (out of its type's range, a size the mode refuses) is not refused here: the numeric
// fields stay text, converted by each file's work as the panel converts its fields, and such a
// value fails every file with the program's own message.

#include "core/RasterOp.h"

#include <QString>
#include <QStringList>

#include <cstdint>

namespace tesmaro::batch {

enum class BatchCommand { Multicopy, Reverse };

// The panel's " MCopy" frame: "All  ", "XY VB", "XY API".
enum class MulticopyMode { All, PixelAccess, Dib };

enum class OutputFormat { Bmp, Png };

// The multicopy's fields; the texts exactly as given, the defaults the panel's start-up values.
struct MulticopyFields {
    QString height; // the destination column's Height
    QString width;  // the destination column's Width
    QString redPercent = QStringLiteral("100");
    QString greenPercent = QStringLiteral("100");
    QString bluePercent = QStringLiteral("100");
    QString randomPercent = QStringLiteral("0"); // "Рандомизация"
    MulticopyMode mode = MulticopyMode::All;
    std::int32_t rasterCode = SRCAND; // "Copy  As", core/RasterOp.h; "And+" at start-up
    bool clearResult = true;          // "Очистить приемник"

    bool operator==(const MulticopyFields&) const = default;
};

struct BatchOptions {
    BatchCommand command = BatchCommand::Multicopy;
    MulticopyFields multicopy; // mcopy only; reverse keeps the defaults
    OutputFormat format = OutputFormat::Bmp;
    int jobs = 1; // files at a time, at least 1
    bool overwrite = false;
    bool quiet = false;
    QString outputFolder; // -o, as given
    QStringList files;    // the FILE arguments, in order
    QStringList lists;    // the --from arguments, in order; "-" is standard input

    bool operator==(const BatchOptions&) const = default;
};

struct ParsedCommand {
    enum class Outcome { Run, Help, UsageError };
    Outcome outcome = Outcome::UsageError;
    BatchOptions options; // for Run
    // Help: the subcommand's help text. UsageError: one line (no newline) naming the bad option
    // or value.
    QString text;
};

// Whether the program's arguments (program name first) ask for a headless run: the first
// argument is "mcopy" or "reverse". A picture file of that name opens as ./mcopy.
bool isBatchCommand(const QStringList& arguments);

// Reads the program's arguments (program name, subcommand, then its options and files);
// --jobs is defaultJobs when not given. -h or --help anywhere before `--` answers with the help,
// whatever else is given. Precondition: isBatchCommand(arguments).
ParsedCommand parseBatchCommand(const QStringList& arguments, int defaultJobs);

QString batchHelp(BatchCommand command);

// "mcopy" or "reverse".
QString commandName(BatchCommand command);

} // namespace tesmaro::batch
