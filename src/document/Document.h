#pragma once
// The program's document: everything the commands work on and share, as plain values without a
// widget. That is the seven picture windows (each created on first reference), the editor's
// surfaces on the control panel (the draft pad with its bars, the colour swatch, the line-width
// preview, the label field's font and colour), and the values the commands share (AppState).
// Commands get the document and a plain request; views draw the document and follow its signals.

#include "document/AppState.h"
#include "document/Canvas.h"
#include "document/FrontEnd.h"
#include "document/ProgramFiles.h"
#include "document/ProgramWindows.h"
#include "document/ScrollBars.h"

#include <QFont>
#include <QObject>
#include <QPointer>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tesmaro {

class CanvasWatcher;

// The label text box: the font and text colour the label tool and the font dialog give it.
struct LabelField {
    std::optional<QFont> font; // none until set: the text box's own
    std::int32_t colour = 0;   // packed
};

class Document : public QObject {
    Q_OBJECT
public:
    Document();
    ~Document() override;
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    AppState state;

    // The window, created hidden with its design values if it does not exist. pictureWindow takes
    // Picture1, Picture2, Temp, MCopy1 and MCopy2; imageWindow Image1 and Image2.
    PictureWindow& pictureWindow(WindowId id);
    ImageWindow& imageWindow(WindowId id);
    ProgramWindow& window(WindowId id);
    bool exists(WindowId id) const;
    // The window if it exists, else null (never creates one).
    ProgramWindow* existingWindow(WindowId id) const;
    // The canvas of a picture window that exists, else null.
    Canvas* existingCanvas(WindowId id) const;
    // Discards the window with its picture (nothing is asked); nothing when it does not exist.
    void discard(WindowId id);
    void discardAll();

    // The editor's surfaces on the control panel.
    Canvas& pad() const { return *m_pad; }
    ScrollBars& padScroll() const { return *m_padScroll; }
    Canvas& swatch() const { return *m_swatch; }
    Canvas& widthPreview() const { return *m_widthPreview; }
    const LabelField& labelField() const { return m_label; }
    void setLabelFont(const QFont& font);
    void setLabelColour(std::int32_t colour);

    // Threads a command's pixel kernels may use; 0 (the default) lets them use every core. Runs of
    // their own in parallel (headless runs, one file per job) keep each to one.
    int kernelThreads() const { return m_kernelThreads; }
    void setKernelThreads(int threads) { m_kernelThreads = threads < 0 ? 0 : threads; }

    // Where Temp.bmp, TempMC.bmp and saved pictures go: the program's folder, unless set (null
    // restores the folder). The document does not own what it is given.
    ProgramFiles& files() const { return *m_files; }
    void setFiles(ProgramFiles* files) { m_files = files ? files : &m_folderFiles; }

    FrontEnd& front() const { return *m_front; }
    // The front end commands report to; null restores one that does nothing.
    void setFrontEnd(FrontEnd* front);

    // The watcher of every canvas the undo history covers: the draft pad and the canvases of the
    // picture windows, including those created later. Null removes it.
    void setCanvasWatcher(CanvasWatcher* watcher);

signals:
    // A window was created (hidden, with its design values) ...
    void windowCreated(WindowId id);
    // ... or is about to be discarded: its objects are destroyed right after this signal.
    void windowDiscarded(WindowId id);
    void labelFieldChanged();

private:
    QPointer<ProgramWindow>& slot(WindowId id) { return m_windows[static_cast<std::size_t>(id)]; }

    std::array<QPointer<ProgramWindow>, 7> m_windows;
    Canvas* m_pad;
    ScrollBars* m_padScroll;
    Canvas* m_swatch;
    Canvas* m_widthPreview;
    LabelField m_label;
    ProgramFiles m_folderFiles;
    ProgramFiles* m_files = &m_folderFiles;
    FrontEnd m_silentFront;
    FrontEnd* m_front = &m_silentFront;
    CanvasWatcher* m_watcher = nullptr;
    int m_kernelThreads = 0;
};

} // namespace tesmaro
