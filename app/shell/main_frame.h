// The main frame: the control panel and the display window as child windows, arranged to fill it,
// and the menu.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <functional>

class QMdiArea;
class QMenu;
class QMdiSubWindow;

namespace tavrin {

class DisplayWindow;
class ControlPanel;
class FrameArranger;
class HelpWindow;
class UserDialogs;

class MainFrame : public QMainWindow {
    Q_OBJECT
public:
    // The design's outer size of the display window, in pixels at 96 dpi: where dialogs open.
    static constexpr int kDisplayWidth = 541;
    static constexpr int kDisplayHeight = 554;

    explicit MainFrame(UserDialogs &dialogs, QWidget *parent = nullptr);
    ~MainFrame() override;

    DisplayWindow &Display() { return *display_; }
    QMdiArea &Area() { return *area_; }
    // Adds the panel beside the display window, at the right edge.
    void AddPanel(ControlPanel *panel);
    // Where the display, the panel and the waterfall stand.
    FrameArranger &Arranger() { return *arranger_; }
    QMdiSubWindow *PanelWindow() const { return panelWindow_; }
    QMdiSubWindow *DisplaySubWindow() const { return displayWindow_; }
    // The "File" menu, where subsystems add their entries (Quit stays last).
    QMenu *FileMenu() const { return fileMenu_; }
    // The "Setting" menu: the settings dialog, then the features' own settings.
    QMenu *SettingMenu() const { return settingMenu_; }
    // The "View" menu: the windows, and the default arrangement last.
    QMenu *ViewMenu() const { return viewMenu_; }

    // The settings dialog is made by whoever knows the panel; the menu keeps one open at a time.
    void SetSettingFactory(std::function<QWidget *()> make) { makeSetting_ = std::move(make); }
    // Each opens its window without blocking the others, or brings the open one to the front.
    QWidget *ShowSetting();
    QWidget *ShowAbout();
    // The manual at the section for the active window; null, after a message, when it is missing.
    HelpWindow *ShowHelp();

private:
    void BuildMenu();

    UserDialogs &dialogs_;
    QMdiArea *area_ = nullptr;
    DisplayWindow *display_ = nullptr;
    QMdiSubWindow *displayWindow_ = nullptr;
    QMdiSubWindow *panelWindow_ = nullptr;
    QMenu *fileMenu_ = nullptr;
    QMenu *settingMenu_ = nullptr;
    QMenu *viewMenu_ = nullptr;
    FrameArranger *arranger_ = nullptr;
    std::function<QWidget *()> makeSetting_;
    QPointer<QMdiSubWindow> settingWindow_;
    QPointer<QWidget> about_;
    QPointer<HelpWindow> help_;
};

}  // namespace tavrin
