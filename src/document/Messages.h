#pragma once
// The program's modal messages: OK button only, title "Tesmaro5".

#include <QString>

namespace tesmaro {

inline const QString kAppTitle = QStringLiteral("Tesmaro5");

void showMessage(const QString& text);

} // namespace tesmaro
