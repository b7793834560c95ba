#include "shell/UndoKeys.h"

#include "document/CommandRunner.h"

#include <QApplication>
#include <QKeyEvent>
#include <QShortcut>
#include <QWidget>

namespace tesmaro {
namespace {

const QKeySequence kUndo(Qt::CTRL | Qt::Key_Z);
const QKeySequence kRedo(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
const QKeySequence kRedoToo(Qt::CTRL | Qt::Key_Y);

bool isHistoryKey(const QKeyEvent* e) {
    const QKeySequence pressed(e->keyCombination());
    return pressed == kUndo || pressed == kRedo || pressed == kRedoToo;
}

} // namespace

UndoKeys::UndoKeys(CommandRunner& runner, QWidget* panel) : QObject(panel), m_runner(runner) {
    // Application-wide shortcuts: any window of the program, whichever keyboard layout is on
    // (Qt matches a shortcut on the Latin keys of a Cyrillic layout too).
    for (const QKeySequence& keys : {kUndo, kRedo, kRedoToo}) {
        auto* shortcut = new QShortcut(keys, panel);
        shortcut->setContext(Qt::ApplicationShortcut);
        connect(shortcut, &QShortcut::activated, this, keys == kUndo ? &UndoKeys::undo : &UndoKeys::redo);
    }
    qApp->installEventFilter(this);
}

UndoKeys::~UndoKeys() {
    qApp->removeEventFilter(this);
}

bool UndoKeys::eventFilter(QObject* watched, QEvent* event) {
    // A text field claims these keys for its own typing undo; outside a modal dialog the
    // program's history has them.
    if (event->type() == QEvent::ShortcutOverride && !QApplication::activeModalWidget() &&
        isHistoryKey(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void UndoKeys::undo() {
    if (!QApplication::activeModalWidget())
        m_runner.undo();
}

void UndoKeys::redo() {
    if (!QApplication::activeModalWidget())
        m_runner.redo();
}

} // namespace tesmaro
