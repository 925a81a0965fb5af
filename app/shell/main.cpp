// TavrinRemote: the main frame with the control panel and the display window.
#include "common/program_folder.h"
#include "instrument/port_check.h"
#include "instrument/tavrin_dll.h"
#include "measure/frm_crt.h"
#include "measure/frm_main.h"
#include "settings/operation_file.h"
#include "shell/mdi_main.h"
#include "shell/qt_dialogs.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("TavrinRemote");
    QApplication::setApplicationVersion("2.0.0");

    QCommandLineParser options;
    options.setApplicationDescription("Remote control for the Tavrin spectrum analyzer.");
    options.addHelpOption();
    options.addVersionOption();
    QCommandLineOption folder("folder", "Keep Tavrin.Log and the Working folder in <dir>.", "dir");
    options.addOption(folder);
    options.process(app);
    if (options.isSet(folder))
        tavrin::SetProgramFolderOverride(options.value(folder).toStdString());

    tavrin::QtDialogs dialogs;
    tavrin::TavrinDLL instrument(dialogs);
    tavrin::OperationFile settings = tavrin::DefaultOperation();
    tavrin::MdiMain frame(dialogs);
    dialogs.SetParent(&frame);

    auto *panel = new tavrin::FrmMain({instrument, dialogs, settings, frame.Display(), tavrin::OperationFilePath(),
                                       tavrin::PortInUse, [] { QCoreApplication::exit(0); }});
    panel->FormLoad();
    frame.AddPanel(panel);
    frame.showMaximized();
    frame.DisplayWindow()->show();
    frame.PanelWindow()->show();
    QTimer::singleShot(0, panel, [&frame, panel] {
        frame.Area().setActiveSubWindow(frame.PanelWindow());
        panel->FormActivate();
    });
    return app.exec();
}
