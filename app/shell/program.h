// The program's start and end as one piece: the main frame with the control panel and the
// display window, the instrument module and the settings, in the order they must come up and go.
#pragma once

#include "common/work_thread.h"
#include "instrument/library_instrument.h"
#include "session/qt_timers.h"
#include "session/session.h"
#include "settings/operation_file.h"
#include "shell/main_frame.h"

#include <functional>
#include <memory>

class QAction;
class QMenu;

namespace tavrin {

class ControlPanel;
class Publishing;
class RemoteControl;
class UserDialogs;
class WaterfallWindow;

class Program {
public:
    // portInUse: whether another process holds the COM port; quit: ends the event loop.
    Program(UserDialogs &dialogs, std::function<bool(int)> portInUse, std::function<void()> quit);
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Loads the panel, shows the frame maximised and activates the panel once the frame is up.
    void Start();

    MainFrame &Frame() { return frame_; }
    ControlPanel &Panel() { return *panel_; }
    LibraryInstrument &Instrument() { return instrument_; }
    Session &TheSession() { return session_; }
    WaterfallWindow &Waterfall() { return *waterfall_; }
    Publishing &Publish() { return *publishing_; }
    RemoteControl &Remote() { return *remote_; }

private:
    // The status bar's read-out of what the pointer stands on, in the display or the waterfall.
    void AddFileEntries();
    void AddStatusBar();
    void AddReadout();
    void AddSetupMenu(QMenu &file, QAction *before);
    // A file job on the file thread; what it hands back runs on the window thread.
    void OffTheWindow(std::function<std::function<void()>()> job);

    LibraryInstrument instrument_;
    QtTimers timers_;
    Session session_{{instrument_, timers_, [] { return std::time(nullptr); }, [](int port) { return GatherPortFacts(port); },
                      PortTargetText, {}, [this](auto job) { OffTheWindow(std::move(job)); }}};
    OperationFile settings_ = DefaultOperation();
    MainFrame frame_;
    ControlPanel *panel_ = nullptr;  // owned by its sub-window
    WaterfallWindow *waterfall_ = nullptr;  // owned by the frame
    std::unique_ptr<Publishing> publishing_;  // a sink of the session's bus: goes before the session
    std::unique_ptr<RemoteControl> remote_;  // goes first: its clients reach the session
    // Record appends synced to the disk; goes before the session, after what it was handed.
    std::unique_ptr<WorkThread> fileThread_ = std::make_unique<WorkThread>();
};

}  // namespace tavrin
