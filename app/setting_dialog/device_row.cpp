#include "setting_dialog/device_row.h"

#include "common/dialogs.h"
#include "instrument/port_diagnosis.h"
#include "instrument/serial_devices.h"
#include "widgets/panel_widgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace tavrin {

DeviceRow::DeviceRow(UserDialogs &dialogs, std::function<int()> comPort, QWidget *parent)
    : QWidget(parent), dialogs_(dialogs), comPort_(std::move(comPort))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    lblComDevice_ = new QLabel(this);
    lblComDevice_->setObjectName("lblComDevice");
    lblComDevice_->setAccessibleName("COM port device");
    lblComDevice_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPushButton *cmdDevice = Button(this, "cmdDevice", "Device...");
    cmdDevice->setToolTip("Choose the serial device this COM port leads to");
    row->addWidget(lblComDevice_, 1);
    row->addWidget(cmdDevice);
    connect(cmdDevice, &QPushButton::clicked, this, &DeviceRow::Choose);
}

void DeviceRow::ShowPort(int port)
{
    const QString text = port >= 1 && port <= 4 ? "leads to " + QString::fromStdString(PortTargetText(port))
                                                : QString("no COM port chosen");
    lblComDevice_->setText(text);
    lblComDevice_->setAccessibleDescription(text);
}

void DeviceRow::Choose()
{
    const int port = comPort_();
    const std::string com = "COM" + std::to_string(port);
    if (port < 1 || port > 4) {
        dialogs_.ShowMessage("Device", "Choose a COM port from 1 to 4 first.");
        return;
    }
    const std::vector<SerialDeviceChoice> devices = ListSerialDevices();
    if (devices.empty()) {
        dialogs_.ShowMessage("Device", "No serial device was found. Plug in the analyzer's USB adapter (or start "
                                       "the simulator) and choose again.");
        return;
    }
    std::vector<std::string> labels;
    for (const SerialDeviceChoice &d : devices)
        labels.push_back(d.label);
    const std::optional<size_t> chosen =
        dialogs_.ChooseItem("Device for " + com, "Serial devices present (" + com + " will lead to the one you choose):",
                            labels, DeviceOfPort(port, devices));
    if (!chosen || *chosen >= devices.size())
        return;
    const std::string error = MakePortLink(port, devices[*chosen].path);
    if (!error.empty()) {
        dialogs_.ShowMessage("Device", com + " could not be pointed at " + devices[*chosen].path + ": " + error + ".");
        return;
    }
    ShowPort(port);
    emit linked(port);
}

}  // namespace tavrin
