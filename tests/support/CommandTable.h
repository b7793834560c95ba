#pragma once
// A feature's commands run on a document without a widget, one table row each: the row runs the
// command (or a drawing action), names the undo steps it must make and the message it must show,
// and checks its effect on the document as undo and redo leave it.

#include "support/FakeFrontEnd.h"
#include "support/PlatformDoubles.h"
#include "support/SceneSupport.h"
#include "support/StandaloneDocument.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace tesmaro::testing {

// A document with the platform doubles, the history and the runner, and a front end that records
// what the commands asked of the panel.
class CommandDocument {
public:
    CommandDocument() { doc.document->setFrontEnd(&front); }

    Document& document() { return *doc.document; }
    CommandRunner& runner() { return *doc.runner; }
    // Runs the command to its end: a snapshot timer it started runs out at once.
    void run(const Command& command) {
        runner().run(command);
        front.timeout();
    }

    FakePlatform fake;
    FakeFrontEnd front;
    StandaloneDocument doc;
};

template <typename Fixture> struct CommandCase {
    std::string name;
    // Undo steps it makes: 1, or 0 for what the history does not cover (files, the clipboard, the
    // pens, a refusal).
    int steps;
    std::function<void(Fixture&)> act;
    std::function<void(Fixture&)> check;
    QString message = {}; // the one message it shows, if any
};

template <typename Fixture> void PrintTo(const CommandCase<Fixture>& c, std::ostream* os) {
    *os << c.name;
}

// The rows' names as the tests' names.
struct CaseName {
    template <typename Info> std::string operator()(const Info& info) const { return info.param.name; }
};

// The row on a fresh fixture (the row's own or one derived from it): its undo steps, its message,
// then its effect.
template <typename Fixture, typename Row> void runCase(Fixture& f, const CommandCase<Row>& c) {
    EXPECT_TRUE(undoSteps(f.runner(), f.document(), c.steps, [&] { c.act(f); }));
    EXPECT_EQ(c.message.isEmpty() ? QStringList() : QStringList{c.message}, f.fake.messages.texts());
    c.check(f);
}

} // namespace tesmaro::testing
