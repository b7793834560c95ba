#pragma once
// A document without the control panel or any widget, with the undo history and the command
// runner, as command tests and the benchmark use it.

#include "document/CommandRunner.h"
#include "document/Document.h"
#include "document/History.h"

#include <memory>

namespace tesmaro::testing {

class StandaloneDocument {
public:
    StandaloneDocument()
        : document(std::make_unique<Document>()), history(std::make_unique<History>(*document)),
          runner(std::make_unique<CommandRunner>(*document, *history)) {}
    ~StandaloneDocument() {
        runner.reset();
        history.reset();
        document.reset();
    }

    std::unique_ptr<Document> document;
    std::unique_ptr<History> history;
    std::unique_ptr<CommandRunner> runner;
};

} // namespace tesmaro::testing
