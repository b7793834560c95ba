#pragma once
// The transfers, "Вернуть" and "Pixel" are copies: they fail with the copy's message.

#include <QString>

namespace tesmaro::editor {

inline const QString kCopyFailed = QStringLiteral("ошибка при копировании ");

} // namespace tesmaro::editor
