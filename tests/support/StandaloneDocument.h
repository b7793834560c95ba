#pragma once
// A document without the control panel: its editor surfaces on a hidden host widget, with the
// undo history and the command runner, as command tests and the benchmark use it.

#include "document/CommandRunner.h"
#include "document/Document.h"
#include "document/History.h"
#include "windows/Canvas.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QWidget>

#include <memory>

namespace tesmaro::testing {

class StandaloneDocument {
public:
    StandaloneDocument()
        : pad(new Canvas(&host, 300, 150, 0xFFFFFF)), padVertical(new QScrollBar(Qt::Vertical, &host)),
          padHorizontal(new QScrollBar(Qt::Horizontal, &host)), swatch(new Canvas(&host, 24, 24, 0xF0F0F0)),
          widthPreview(new Canvas(&host, 18, 18, 0xF0F0F0)), labelField(new QLineEdit(&host)),
          document(std::make_unique<Document>(
              EditorSurfaces{pad, padVertical, padHorizontal, swatch, widthPreview, labelField})),
          history(std::make_unique<History>(*document)),
          runner(std::make_unique<CommandRunner>(*document, *history)) {
        for (QScrollBar* bar : {padVertical, padHorizontal})
            bar->setRange(0, 32767);
    }
    ~StandaloneDocument() {
        runner.reset();
        history.reset();
        document.reset();
    }

    QWidget host;
    Canvas* pad;
    QScrollBar* padVertical;
    QScrollBar* padHorizontal;
    Canvas* swatch;
    Canvas* widthPreview;
    QLineEdit* labelField;
    std::unique_ptr<Document> document;
    std::unique_ptr<History> history;
    std::unique_ptr<CommandRunner> runner;
};

} // namespace tesmaro::testing
