#include "windows/PictureDrop.h"

#include <QMimeData>
#include <QUrl>

namespace tesmaro {

QString droppedPicturePath(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return {};
    const QUrl first = data->urls().first();
    return first.isLocalFile() ? first.toLocalFile() : QString();
}

} // namespace tesmaro
