// The about box "About TavrinRemote" and the System window it opens.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace tavrin {

inline constexpr int kVersionMajor = TAVRIN_VERSION_MAJOR;
inline constexpr int kVersionMinor = TAVRIN_VERSION_MINOR;
inline constexpr int kVersionRevision = TAVRIN_VERSION_PATCH;

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);

    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;

    // Opens the System window (operating system, kernel, Qt, serial devices).
    QDialog *StartSysInfo();
};

}  // namespace tavrin
