#include "shell/AppFonts.h"

#include <QFontDatabase>
#include <QString>

namespace tesmaro {

bool registerShippedFonts() {
    // Registered once per run: a second registration would list every face twice.
    static const bool registered = [] {
        bool all = true;
        for (const char* face : {":/fonts/PTN57F.ttf", ":/fonts/PTN77F.ttf"})
            all = QFontDatabase::addApplicationFont(QString::fromLatin1(face)) >= 0 && all;
        return all;
    }();
    return registered;
}

} // namespace tesmaro
