// Temporary: the help text is written in its own change.
#include "help/AboutWindow.h"
namespace tesmaro {
QString buildHelpText() { return QString(); }
} // namespace tesmaro
