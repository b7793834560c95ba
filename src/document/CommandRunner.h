#pragma once
// The one place where commands run: the hourglass, hiding and showing the control panel, the
// failure message, and the undo step of what the command changed. A command that fails part-way
// keeps what it did (no rollback) and that, too, is one step the user can undo.

#include "document/Command.h"

#include <memory>
#include <optional>

namespace tesmaro {

class History;

class CommandRunner {
public:
    CommandRunner(Document& document, History& history);

    // false when the command failed (its message shown) or could not start.
    bool run(const Command& command);
    // Runs the next part of the command left open; nothing when none is.
    void resume(const CommandBody& next);
    bool commandOpen() const { return m_open.has_value(); }

    // A drawing action (press to release) is one step; runs inside it join that step.
    void beginAction();
    void endAction();
    bool actionOpen() const { return m_actionOpen; }

    // Undo and redo, refused while a command or an action is open.
    bool undo();
    bool redo();

    History& history() { return m_history; }

private:
    bool runPart(const CommandPolicy& policy, const CommandBody& body);
    void finish(const CommandPolicy& policy, const std::optional<QString>& message);

    Document& m_document;
    History& m_history;
    std::optional<CommandPolicy> m_open;
    bool m_actionOpen = false;
    // A part is running; a resume now is kept for right after it.
    bool m_inPart = false;
    std::optional<CommandBody> m_answeredEarly;
    // Lets a late resume find out whether the runner still exists.
    std::shared_ptr<CommandRunner*> m_self = std::make_shared<CommandRunner*>(this);
};

} // namespace tesmaro
