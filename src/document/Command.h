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

class CommandContext {
public:
    explicit CommandContext(Document& document) : document(document) {}
    Document& document;

    // The command goes on later (a snapshot waits for the screen): the runner leaves it open,
    // pointer, panel and undo step included, until CommandRunner::resume runs a part that does
    // not call this again.
    void keepOpen() { m_keepOpen = true; }
    bool keptOpen() const { return m_keepOpen; }

private:
    bool m_keepOpen = false;
};

using CommandBody = std::function<void(CommandContext&)>;

struct Command {
    CommandPolicy policy;
    CommandBody body;
};

} // namespace tesmaro
