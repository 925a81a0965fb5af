// The output buttons: the screen saved as a JPEG file (Shutter) and the printed report (Print).
#pragma once

#include <QString>
#include <QWidget>
#include <ctime>
#include <functional>

class QImage;
class QPrinter;

namespace tavrin {

class DrawingSurface;
class DisplayWindow;
class UserDialogs;
struct OperationFile;

class OutputGroup : public QWidget {
    Q_OBJECT
public:
    struct Deps {
        UserDialogs &dialogs;
        const OperationFile &settings;  // capture folder, report header, logo file, colours
        DisplayWindow &display;                // its kept picture and the marker labels
        std::function<void(DrawingSurface &)> draw;  // the screen on another surface
        std::function<std::time_t()> screenTime;      // of the picture on the display
    };

    OutputGroup(Deps deps, QWidget *parent = nullptr);

    // The display window's picture with the marker labels as a JPEG file in the capture folder,
    // named after the screen time. Returns what went wrong, for the user ("Directory Error!" for a
    // missing folder); empty when it was saved, or when a capture or a print is under way already.
    QString Capture();
    // Capture(), and a message when it failed: the Shutter button, and "Save screen" on the display.
    void Shutter();

private:
    // The print dialog, then the report page.
    void Print();
    // Composes the report page on printer and ends the job; false when the printer failed.
    bool PrintOut(QPrinter &printer);
    QImage PictureWithLabels();

    Deps d_;
    bool busy_ = false;  // a capture or a print is under way
};

}  // namespace tavrin
