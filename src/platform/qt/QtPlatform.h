#pragma once
// The real desktop behind the platform interfaces (platform/Platform.h), on Qt Widgets.

namespace tesmaro {

// Installs the Qt implementations; a QApplication must exist.
void installQtPlatform();

} // namespace tesmaro
