// The settings dialog "Setting": edits the user settings of the operation file; fields are tidied
// when left, OK applies everything at once. The file itself is written at program exit.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tavrin {

class ColorBox;
class DeviceRow;
class DisplayWindow;
class PaletteBox;
class Spinner;
class Session;
class UserDialogs;
struct OperationFile;

class SettingsDialog : public QWidget {
    Q_OBJECT
public:
    struct Deps {
        OperationFile &settings;
        UserDialogs &dialogs;
        Session &session;
        DisplayWindow &display;
        std::function<bool(int port)> portInUse;  // held by another program
    };

    // Shows the current settings (Form_Load).
    explicit SettingsDialog(Deps deps, QWidget *parent = nullptr);

    // The colour box the palette and the colour dialog set.
    void SelectColorBox(int index);
    // The palette's colour for the selected box.
    void PaletteColorPicked(uint32_t color);

    bool LogoShown() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Controls {
        QComboBox *cboComPort = nullptr;
        DeviceRow *device = nullptr;
        QComboBox *cboUnit = nullptr;
        QLineEdit *txtAVG = nullptr;
        Spinner *UpDown1 = nullptr;
        QLineEdit *txtFStep = nullptr;
        QLineEdit *txtLStep = nullptr;
        QComboBox *cboInterval = nullptr;
        QComboBox *cboTime = nullptr;
        QLineEdit *txtHeader = nullptr;
        QLineEdit *txtFName = nullptr;
        QPushButton *cmdLoadLogo = nullptr;
        QLabel *imgLOGO = nullptr;
        QLineEdit *txtShutterDir = nullptr;
        QPushButton *chooseFolder = nullptr;
        std::array<ColorBox *, 7> txtColor{};
        PaletteBox *palette = nullptr;
        QPushButton *cmdDefault = nullptr;
        QPushButton *OKButton = nullptr;
    };

    // A field the user leaves is rewritten by its rule; other widgets are left alone.
    void FieldLeft(QWidget *field);
    void LoadLogo();
    void ChooseCaptureFolder();
    void RestoreDefaults();
    void ApplyAndClose();
    void Build();
    QWidget *BuildCommon();
    QWidget *BuildRecording();
    QWidget *BuildReport();
    QWidget *BuildShutter();
    QWidget *BuildColors();
    void FormLoad();
    // Shows the logo; why a file was refused, or "".
    std::string ShowLogo(const std::string &path);
    void ApplyAverage();
    void ApplyPort();
    // The COM number the port box shows (rounded, halves to even), 0 when it shows none of 1..4.
    int ShownPort() const;
    void ApplyDisplay();

    Deps d_;
    Controls ui_;
    int selectedBox_ = 0;
};

}  // namespace tavrin
