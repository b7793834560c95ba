#include "document/CommandRunner.h"

#include "document/CommandFailure.h"
#include "document/History.h"
#include "document/Messages.h"
#include "platform/Platform.h"

namespace tesmaro {

using Panel = CommandPolicy::Panel;

CommandRunner::CommandRunner(Document& document, History& history)
    : m_document(document), m_history(history) {}

bool CommandRunner::run(const Command& command) {
    if (m_open)
        return false; // one command at a time; the open one still waits for its end
    const CommandPolicy& policy = command.policy;
    m_history.open();
    FrontEnd& front = m_document.front();
    if (policy.panel == Panel::HiddenUntilShown)
        front.hideControls();
    if (policy.busy)
        platform().busy->setBusy(true);
    if (policy.panel == Panel::HiddenThenFront)
        front.hideControls();
    return runPart(policy, command.body);
}

void CommandRunner::resume(const CommandBody& next) {
    if (m_inPart) {
        m_answeredEarly = next;
        return;
    }
    if (!m_open)
        return;
    const CommandPolicy policy = *m_open;
    m_open.reset();
    runPart(policy, next);
}

bool CommandRunner::runPart(const CommandPolicy& policy, const CommandBody& body) {
    const std::weak_ptr<CommandRunner*> self = m_self;
    const CommandResume resumer = [self](const CommandBody& next) {
        if (const auto runner = self.lock())
            (*runner)->resume(next);
    };
    std::optional<QString> message;
    CommandBody part = body;
    for (;;) {
        CommandContext context(m_document, resumer);
        m_inPart = true;
        m_answeredEarly.reset();
        try {
            part(context);
        } catch (const CommandFailure& failure) {
            message = failure.message() ? *failure.message() : policy.failureMessage;
        } catch (...) {
            message = policy.failureMessage;
        }
        m_inPart = false;
        if (message || !context.keptOpen())
            break;
        if (!m_answeredEarly) {
            m_open = policy;
            return true;
        }
        part = std::move(*m_answeredEarly);
        m_answeredEarly.reset();
    }
    finish(policy, message);
    return !message;
}

void CommandRunner::finish(const CommandPolicy& policy, const std::optional<QString>& message) {
    if (message && !message->isEmpty())
        showMessage(*message);
    FrontEnd& front = m_document.front();
    if (policy.panel == Panel::FrontAtEnd)
        front.bringControlsToFront();
    if (policy.busy)
        platform().busy->setBusy(false);
    if (policy.panel == Panel::HiddenThenFront)
        front.bringControlsToFront();
    if (policy.panel == Panel::HiddenUntilShown && message)
        front.showControls();
    m_history.close();
}

void CommandRunner::beginAction() {
    if (m_actionOpen)
        endAction();
    m_actionOpen = true;
    m_history.open();
}

void CommandRunner::endAction() {
    if (!m_actionOpen)
        return;
    m_actionOpen = false;
    m_history.close();
}

bool CommandRunner::undo() {
    if (m_open)
        return false;
    endAction();
    return m_history.undo();
}

bool CommandRunner::redo() {
    if (m_open)
        return false;
    endAction();
    return m_history.redo();
}

} // namespace tesmaro
