#include "document/ProgramFiles.h"

#include "platform/Platform.h"

namespace tesmaro {

QString appFilePath(const QString& name) {
    return platform().folder->path() + "/" + name;
}

} // namespace tesmaro
