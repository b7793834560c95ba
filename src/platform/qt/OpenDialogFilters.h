#pragma once
// The open dialog's file types: the program's "Description|pattern|Description|pattern|..." string
// (OpenFileRequest::filter) as the name filters of Qt's own file dialog.
//
// Each type shows its description as written, with " (pattern)" added when it carries none, so
// the dialog lists "All Files (*.*)", "BMP Files (*.bmp)" and so on. What a type lets through is
// what the user means by it rather than the pattern's letter: "*.*" is every file, a dot in the
// name or not; extensions match in any letter case (PHOTO.JPG); "*.jpg" takes ".jpeg" files too.

#include "platform/Platform.h"

#include <QStringList>

class QFileDialog;

namespace tesmaro {

// The Qt name filters, in the order of the string: each is the shown text, then in parentheses
// the patterns Qt matches with. Qt's dialog must hide those details (configureOpenDialog does).
QStringList openDialogNameFilters(const QString& filter);

// Sets up Qt's non-native dialog for the request: its Russian texts, file mode, types (the chosen
// one selected) and starting folder. Everything but showing it.
void configureOpenDialog(QFileDialog& dialog, const OpenFileRequest& request);

} // namespace tesmaro
