#include "document/Messages.h"

#include "platform/Platform.h"

namespace tesmaro {

void showMessage(const QString& text) {
    platform().messages->show(text, kAppTitle);
}

} // namespace tesmaro
