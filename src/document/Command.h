#pragma once
// A command as the runner takes it: what it does, over the document, and how it behaves around
// that (pointer, control panel, failure message). Each feature builds its commands from plain
// request values; the control panel only asks for them and hands them to the runner.

#include "document/Document.h"

#include <QString>

#include <functional>

namespace tesmaro {

struct CommandPolicy {
    // Shown when the command fails; empty: it ends silently.
    QString failureMessage;
    // The hourglass while it runs, the failure message included.
    bool busy = false;
    enum class Panel {
        Untouched,
        // Brought to front (hidden and shown) at the end, before the hourglass goes.
        FrontAtEnd,
        // Hidden while it runs, brought to front after the hourglass has gone.
        HiddenThenFront,
        // Hidden before the hourglass comes; shown again only after a failure (the command
        // shows it itself when it gets that far).
        HiddenUntilShown,
    } panel = Panel::Untouched;
};

class CommandContext;
using CommandBody = std::function<void(CommandContext&)>;
// Runs the next part of a command left open; does nothing once the runner is gone.
using CommandResume = std::function<void(const CommandBody&)>;

class CommandContext {
public:
    CommandContext(Document& document, CommandResume resume)
        : document(document), m_resume(std::move(resume)) {}
    Document& document;

    // The command goes on later (a snapshot waits for the screen): the runner leaves it open,
    // pointer, panel and undo step included, until the returned function (or
    // CommandRunner::resume) runs a part that does not keep it open again. Calling it before
    // this part has returned is fine: the runner goes on with it right after.
    CommandResume keepOpen() {
        m_keepOpen = true;
        return m_resume;
    }
    bool keptOpen() const { return m_keepOpen; }

private:
    CommandResume m_resume;
    bool m_keepOpen = false;
};

struct Command {
    CommandPolicy policy;
    CommandBody body;
};

} // namespace tesmaro
