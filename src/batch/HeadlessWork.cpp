#include "batch/HeadlessWork.h"

#include "document/CommandFailure.h"
#include "document/Document.h"
#include "document/FieldTexts.h"
#include "resize/ResizeCommands.h"
#include "transfer/TransferCommands.h"

#include <map>
#include <new>

namespace tesmaro::batch {
namespace {

// The program's files of one run, kept in memory.
class MemoryFiles final : public ProgramFiles {
public:
    QImage read(const QString& name) override {
        const auto it = m_files.find(name);
        return it == m_files.end() ? QImage() : it->second;
    }
    bool write(const QString& name, const QImage& picture) override {
        if (picture.isNull())
            return false;
        m_files[name] = picture;
        return true;
    }

private:
    std::map<QString, QImage> m_files;
};

// The command run as the command runner runs it, less its pointer, panel and undo step: a failure
// anywhere ends it with the command's message, or the refusal's own.
std::optional<QString> run(Document& doc, const Command& command) {
    CommandContext context(doc, {});
    try {
        command.body(context);
    } catch (const CommandFailure& failure) {
        return failure.message() ? *failure.message() : command.policy.failureMessage;
    } catch (...) {
        return command.policy.failureMessage;
    }
    return std::nullopt;
}

resize::MulticopyMode modeOf(MulticopyMode mode) {
    switch (mode) {
    case MulticopyMode::PixelAccess:
        return resize::MulticopyMode::PixelAccess;
    case MulticopyMode::Dib:
        return resize::MulticopyMode::Dib;
    case MulticopyMode::All:
        break;
    }
    return resize::MulticopyMode::All;
}

resize::MulticopyRequest multicopyRequest(const MulticopyFields& f) {
    return resize::MulticopyRequest{.height = fieldTexts::int32(f.height),
                                    .width = fieldTexts::int32(f.width),
                                    .randomPercent = fieldTexts::single(f.randomPercent),
                                    .redPercent = fieldTexts::int16(f.redPercent),
                                    .greenPercent = fieldTexts::int16(f.greenPercent),
                                    .bluePercent = fieldTexts::int16(f.bluePercent),
                                    .rasterCode = f.rasterCode,
                                    .mode = modeOf(f.mode),
                                    .clearResult = f.clearResult};
}

} // namespace

FileResult headlessWork(const QString& inputPath, const BatchOptions& options) {
    Document doc;
    MemoryFiles files;
    doc.setFiles(&files);
    doc.setKernelThreads(1);
    // The panel at start-up: AutoSize on ("True"), no size imposed.
    const Command load = transfer::loadCommand(transfer::LoadRequest{
        .target = transfer::LoadTarget::Picture, .fromClipboard = false, .fit = true, .file = inputPath});
    if (const std::optional<QString> failure = run(doc, load))
        return FileResult::failed(*failure);
    if (options.command == BatchCommand::Reverse) {
        if (const std::optional<QString> failure = run(doc, resize::reverseCommand({.second = false})))
            return FileResult::failed(*failure);
        return FileResult::done(doc.pictureWindow(WindowId::Picture1).picMain->image());
    }
    if (const std::optional<QString> failure =
            run(doc, resize::multicopyCommand(multicopyRequest(options.multicopy))))
        return FileResult::failed(*failure);
    return FileResult::done(files.read(QStringLiteral("TempMC.bmp")));
}

} // namespace tesmaro::batch
