#pragma once
// A value read from the controls and checked when the request was made, handed to the command
// as it is or as a refusal. The command takes it with get() at the very point its work needs it,
// so a bad field still ends the command there, after the steps before it, with the same message.

#include "document/CommandFailure.h"

#include <QString>

#include <optional>
#include <utility>

namespace tesmaro {

template <typename T> class Checked {
public:
    Checked(T value) : m_value(std::move(value)) {}

    // Fails with the command's own message.
    static Checked failed(const char* why) {
        Checked c;
        c.m_why = why;
        return c;
    }
    // Fails with a message of its own (see CommandFailure::refusal).
    static Checked refused(const QString& message) {
        Checked c;
        c.m_refusal = message;
        return c;
    }

    bool ok() const { return m_value.has_value(); }
    // The value, or the failure thrown as CommandFailure.
    const T& get() const {
        if (!m_value) {
            if (m_refusal)
                throw CommandFailure::refusal(*m_refusal);
            throw CommandFailure(m_why);
        }
        return *m_value;
    }

private:
    Checked() = default;
    std::optional<T> m_value;
    const char* m_why = "refused";
    std::optional<QString> m_refusal;
};

} // namespace tesmaro
