#pragma once
// The program's own files, by name: Temp.bmp, TempMC.bmp and the pictures the user saves. The
// document reads and writes them through this, so that a run without windows (the command line's
// headless runs) can keep them in memory and leave the program's folder alone.

#include <QImage>
#include <QString>

namespace tesmaro {

// The program's folder, "/", then name.
QString appFilePath(const QString& name);

// The files in the program's folder.
class ProgramFiles {
public:
    virtual ~ProgramFiles() = default;
    // The picture of the file, decoded as any load is (pictures/PictureDecoding.h); a null image
    // when it cannot be read.
    virtual QImage read(const QString& name);
    // The picture as a 24-bit BMP file in place of any file of that name, written so that a failure
    // (false) leaves the old file whole.
    virtual bool write(const QString& name, const QImage& picture);
};

} // namespace tesmaro
