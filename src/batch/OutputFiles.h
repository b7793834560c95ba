#pragma once
// Where each input's result goes, which results may not be written, and writing them whole.

#include "batch/BatchOptions.h"

#include <QImage>
#include <QString>
#include <QStringList>

#include <vector>

namespace tesmaro::batch {

// folder/NAME.bmp (or .png) for an input NAME.ext: the input's file name less its last
// extension ("a.tar.gz" gives "a.tar.bmp"; "photo" and ".hidden", which have none, give
// "photo.bmp" and ".hidden.bmp"). The folder is taken as given.
QString outputPathFor(const QString& input, const QString& folder, OutputFormat format);

// The inputs without repeats: a file named twice (by the same absolute path, after "." and ".."
// are resolved) is kept once, where it was first named.
QStringList distinctInputs(const QStringList& inputs);

struct PlannedFile {
    QString input;   // as given
    QString output;  // outputPathFor(input, ...)
    QString refusal; // when not empty, the file fails with this reason and is not read
};

// The output of each input (distinct inputs, in their order), refused when it is also the output
// of another input (every one of them is refused, so which input wins depends on no order), when
// it is an existing file that is one of the inputs (even with overwrite), or when it exists and
// overwrite is off. Reads no picture; looks only at names and which files exist.
std::vector<PlannedFile> planOutputs(const QStringList& inputs, const QString& folder, OutputFormat format,
                                     bool overwrite);

// Writes picture (any format; Format_RGB32 is written without a copy) in place of path as a
// 24-bit BMP or an 8-bit RGB PNG, through platform/FileReplacement.h: false when it could not,
// leaving any previous file whole and no temporary file behind.
bool writePicture(const QImage& picture, const QString& path, OutputFormat format);

} // namespace tesmaro::batch
