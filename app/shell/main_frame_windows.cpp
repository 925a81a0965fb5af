// The main frame's menu windows: the settings dialog, the about box and the manual.
#include "common/dialogs.h"
#include "common/program_folder.h"
#include "shell/about_box.h"
#include "shell/help_window.h"
#include "shell/main_frame.h"

#include <QMdiArea>
#include <QMdiSubWindow>

namespace tavrin {

namespace {

void BringToFront(QWidget *window)
{
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace

QWidget *MainFrame::ShowSetting()
{
    if (!settingWindow_) {
        if (!makeSetting_)
            return nullptr;
        settingWindow_ = area_->addSubWindow(makeSetting_(), Qt::SubWindow | Qt::WindowTitleHint |
                                                                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        settingWindow_->setAttribute(Qt::WA_DeleteOnClose);
        settingWindow_->setWindowTitle("Setting");
        settingWindow_->adjustSize();
        settingWindow_->move(kDisplayWidth / 4, kDisplayHeight / 8);
    }
    BringToFront(settingWindow_);
    area_->setActiveSubWindow(settingWindow_);
    return settingWindow_->widget();
}

QWidget *MainFrame::ShowAbout()
{
    if (!about_) {
        about_ = new AboutBox(this);
        about_->setAttribute(Qt::WA_DeleteOnClose);
    }
    BringToFront(about_);
    return about_;
}

HelpWindow *MainFrame::ShowHelp()
{
    const std::string manual = FindManual(ExecutableFolder());
    if (manual.empty()) {
        dialogs_.ShowMessage("Help", std::string("The manual ") + kManualFile + " was found neither beside the program (" +
                                         ExecutableFolder() + ") nor in its share/tavrinremote folder.");
        return nullptr;
    }
    // Opened at the section of the window the user is working in.
    QMdiSubWindow *active = area_->activeSubWindow();
    const char *section = !active                        ? ""
                          : active == settingWindow_     ? "settings"
                          : active == displayWindow_     ? "display"
                          : active == panelWindow_       ? "panel"
                          : active->widget() && active->widget()->objectName() == "frmWaterfall" ? "waterfall"
                                                         : "";
    if (!help_) {
        help_ = new HelpWindow(manual, this);
        help_->setAttribute(Qt::WA_DeleteOnClose);
    }
    help_->OpenAt(section);
    BringToFront(help_);
    return help_;
}

}  // namespace tavrin
