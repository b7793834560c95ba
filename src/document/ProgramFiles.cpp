#include "document/ProgramFiles.h"

#include "pictures/BmpFile.h"
#include "pictures/PictureDecoding.h"
#include "platform/Platform.h"

namespace tesmaro {

QString appFilePath(const QString& name) {
    return platform().folder->path() + "/" + name;
}

QImage ProgramFiles::read(const QString& name) {
    return loadPictureFile(appFilePath(name));
}

bool ProgramFiles::write(const QString& name, const QImage& picture) {
    return saveBmpFile(picture, appFilePath(name));
}

} // namespace tesmaro
