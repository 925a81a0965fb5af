#include "shell/main_frame.h"

#include "common/dialogs.h"
#include "display/display_window.h"
#include "panel/control_panel.h"
#include "shell/frame_arranger.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>

namespace tavrin {

MainFrame::MainFrame(UserDialogs &dialogs, QWidget *parent) : QMainWindow(parent), dialogs_(dialogs)
{
    setWindowTitle("Norvale  Spectrum Analyzer Tavrin Remote Controller");
    area_ = new QMdiArea(this);
    area_->setBackground(QColor(128, 128, 128));
    // Windows the user placed partly outside, or a frame too small for the least sizes.
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area_);
    display_ = new DisplayWindow;
    // The panel and the output draw on the display as long as the program runs: it has no close
    // button, and a close (Ctrl+F4) only hides it (View > Default arrangement shows it again).
    displayWindow_ = area_->addSubWindow(display_, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);
    displayWindow_->setAttribute(Qt::WA_DeleteOnClose, false);
    displayWindow_->setWindowTitle("Display");
    arranger_ = new FrameArranger(*area_);
    arranger_->SetWindow(FrameWindow::Display, displayWindow_);
    BuildMenu();
}

MainFrame::~MainFrame()
{
    // The area reports the activation changes of its closing sub-windows while the frame is
    // already partly destroyed; nor is anything arranged any more.
    disconnect(area_, nullptr, nullptr, nullptr);
    delete arranger_;
}

void MainFrame::AddPanel(ControlPanel *panel)
{
    panelWindow_ = area_->addSubWindow(panel, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    panelWindow_->setWindowTitle("Control Panel");
    panelWindow_->adjustSize();
    arranger_->SetWindow(FrameWindow::Panel, panelWindow_);
    // Queued: the area activates a sub-window while it is being shown, and the first activation
    // lets window events run and refills lists, which must not happen inside a show.
    QMdiSubWindow *sub = panelWindow_;
    connect(
        area_, &QMdiArea::subWindowActivated, panel,
        [sub, panel](QMdiSubWindow *w) {
            if (w == sub)
                panel->FormActivate();
        },
        Qt::QueuedConnection);
}

void MainFrame::BuildMenu()
{
    QMenu *file = fileMenu_ = menuBar()->addMenu("&File");
    QAction *quit = file->addAction("&Quit");
    quit->setObjectName("mnuQuit");
    // Ends at once, without saving the settings (the panel's Quit saves them).
    connect(quit, &QAction::triggered, this, [] { QCoreApplication::exit(0); });

    viewMenu_ = menuBar()->addMenu("&View");
    viewMenu_->menuAction()->setObjectName("mnuViewMenu");
    QAction *arrange = viewMenu_->addAction("&Default arrangement");
    arrange->setObjectName("mnuDefaultArrangement");
    connect(arrange, &QAction::triggered, this, [this] { arranger_->RestoreDefault(); });

    // The settings dialog first; features with settings of their own add their entries after it.
    settingMenu_ = menuBar()->addMenu("&Setting");
    settingMenu_->menuAction()->setObjectName("mnuSettingMenu");
    QAction *setting = settingMenu_->addAction("&Settings...");
    setting->setObjectName("mnuSetting");
    connect(setting, &QAction::triggered, this, &MainFrame::ShowSetting);
    QAction *about = menuBar()->addAction("&About");
    about->setObjectName("mnuAboutMe");
    connect(about, &QAction::triggered, this, &MainFrame::ShowAbout);
    QAction *help = menuBar()->addAction("&Help");
    help->setObjectName("munHelp");
    help->setShortcut(QKeySequence::HelpContents);
    connect(help, &QAction::triggered, this, &MainFrame::ShowHelp);
}

}  // namespace tavrin
