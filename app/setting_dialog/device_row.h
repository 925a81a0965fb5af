// Beside the COM port of the settings dialog: the device that COM number leads to now, and the
// "Device..." chooser that points it at one of the serial devices present.
#pragma once

#include <QWidget>
#include <functional>

class QLabel;

namespace tavrin {

class UserDialogs;

class DeviceRow : public QWidget {
    Q_OBJECT
public:
    // comPort: the COM number the dialog shows, 0 when it shows none.
    DeviceRow(UserDialogs &dialogs, std::function<int()> comPort, QWidget *parent = nullptr);

    // Shows where COMn leads now.
    void ShowPort(int port);

signals:
    // The COM port's link now leads to the device the user chose.
    void linked(int port);

private:
    void Choose();

    UserDialogs &dialogs_;
    std::function<int()> comPort_;
    QLabel *lblComDevice_ = nullptr;
};

}  // namespace tavrin
