// TavrinRemote: the main frame with the control panel and the display window.
#include "common/program_folder.h"
#include "instrument/port_check.h"
#include "shell/about_box.h"
#include "shell/program.h"
#include "shell/qt_dialogs.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QIcon>
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("TavrinRemote");
    QApplication::setApplicationVersion(
        QString("%1.%2.%3").arg(tavrin::kVersionMajor).arg(tavrin::kVersionMinor).arg(tavrin::kVersionRevision));
    QApplication::setWindowIcon(QIcon(":/tavrinremote.png"));
    QApplication::setDesktopFileName("tavrinremote");

    QCommandLineParser options;
    options.setApplicationDescription("Remote control for the Tavrin spectrum analyzer.");
    options.addHelpOption();
    options.addVersionOption();
    QCommandLineOption folder("folder", "Keep Tavrin.Log and the Working folder in <dir>.", "dir");
    options.addOption(folder);
    options.process(app);
    if (options.isSet(folder))
        tavrin::SetProgramFolderOverride(QFile::encodeName(options.value(folder)).toStdString());

    tavrin::QtDialogs dialogs;
    tavrin::Program program(dialogs, tavrin::PortHeldElsewhere, [] { QCoreApplication::exit(0); });
    dialogs.SetParent(&program.Frame());
    program.Start();
    const int code = app.exec();
    dialogs.SetParent(nullptr);
    // A library call still on a silent line cannot be interrupted, and the library's own
    // clean-up at exit would run under it: the settings are saved, so leave at once. The kernel
    // releases the port and its lock.
    if (program.Instrument().Busy()) {
        std::fflush(nullptr);
        _exit(code);
    }
    return code;
}
