#pragma once
// Each command has one failure path: anything that fails inside it throws CommandFailure,
// and the command's handler shows its one message.

#include <stdexcept>

namespace tesmaro {

class CommandFailure : public std::runtime_error {
public:
    explicit CommandFailure(const char* what = "command failed") : std::runtime_error(what) {}
};

} // namespace tesmaro
