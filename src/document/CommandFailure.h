#pragma once
// Each command has one failure path: anything that fails inside it throws, and the command
// runner shows the command's one message. A refusal carries a message of its own instead (the
// few commands that decline some settings with a text of their own).

#include <QString>

#include <optional>
#include <stdexcept>

namespace tesmaro {

class CommandFailure : public std::runtime_error {
public:
    explicit CommandFailure(const char* why = "command failed") : std::runtime_error(why) {}

    // Ends the command with `message` instead of the command's failure message.
    static CommandFailure refusal(const QString& message) {
        CommandFailure f("refused");
        f.m_message = message;
        return f;
    }
    const std::optional<QString>& message() const { return m_message; }

private:
    std::optional<QString> m_message;
};

} // namespace tesmaro
