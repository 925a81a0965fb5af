#include "shell/mdi_main.h"

#include "common/dialogs.h"
#include "display/frm_crt.h"
#include "panel/frm_main.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>

namespace tavrin {

MdiMain::MdiMain(UserDialogs &dialogs, QWidget *parent) : QMainWindow(parent), dialogs_(dialogs)
{
    setWindowTitle("Norvale  Spectrum Analyzer Tavrin Remote Controller");
    area_ = new QMdiArea(this);
    area_->setBackground(QColor(128, 128, 128));
    // The panel is taller than a small or scaled screen: it must still be reachable.
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area_);
    display_ = new FrmCRT;
    displayWindow_ = area_->addSubWindow(display_);
    displayWindow_->setWindowTitle("Display");
    displayWindow_->setGeometry(0, 0, kDisplayWidth, kDisplayHeight);
    BuildMenu();
}

MdiMain::~MdiMain()
{
    // The area reports the activation changes of its closing sub-windows while the frame is
    // already partly destroyed.
    disconnect(area_, nullptr, nullptr, nullptr);
}

void MdiMain::AddPanel(FrmMain *panel)
{
    panelWindow_ = area_->addSubWindow(panel, Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    panelWindow_->setWindowTitle("Control Panel");
    panelWindow_->adjustSize();
    // Beside the display window, at the top edge of the frame.
    panelWindow_->move(displayWindow_->width(), 0);
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

void MdiMain::BuildMenu()
{
    QMenu *file = fileMenu_ = menuBar()->addMenu("&File");
    QAction *quit = file->addAction("&Quit");
    quit->setObjectName("mnuQuit");
    // Ends at once, without saving the settings (the panel's Quit saves them).
    connect(quit, &QAction::triggered, this, [] { QCoreApplication::exit(0); });

    QAction *setting = menuBar()->addAction("&Setting");
    setting->setObjectName("mnuSetting");
    connect(setting, &QAction::triggered, this, &MdiMain::ShowSetting);
    QAction *about = menuBar()->addAction("&About");
    about->setObjectName("mnuAboutMe");
    connect(about, &QAction::triggered, this, &MdiMain::ShowAbout);
    QAction *help = menuBar()->addAction("&Help");
    help->setObjectName("munHelp");
    help->setShortcut(QKeySequence::HelpContents);
    connect(help, &QAction::triggered, this, &MdiMain::ShowHelp);
}

}  // namespace tavrin
