#include "setting_dialog/settings_dialog.h"

#include "common/dialogs.h"
#include "common/program_folder.h"
#include "common/rounding.h"
#include "common/text_number.h"
#include "display/display_window.h"
#include "display/logo_picture.h"
#include "session/session.h"
#include "setting_dialog/color_widgets.h"
#include "setting_dialog/device_row.h"
#include "setting_dialog/setting_rules.h"
#include "settings/operation_file.h"
#include "widgets/panel_widgets.h"
#include "widgets/spinner.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace tavrin {

namespace {

constexpr QSize kLogoBox(120, 60);
constexpr const char *kColorLabels[kDisplayColorCount] = {"Trace :", "Play :",  "Marker :", "Background :",
                                                          "Grid :",  "Text :", "Base:"};

QComboBox *ListBox(QWidget *parent, const char *name, const QString &accessibleName,
                   std::initializer_list<const char *> items)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    box->setEditable(true);
    box->lineEdit()->setAccessibleName(accessibleName);
    for (const char *item : items)
        box->addItem(item);
    return box;
}

QLabel *Caption(const char *text, QWidget *buddy)
{
    auto *label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

}  // namespace

SettingsDialog::SettingsDialog(Deps deps, QWidget *parent) : QWidget(parent), d_(std::move(deps))
{
    setObjectName("frmSetting");
    setWindowTitle("Setting");
    Build();
    FormLoad();
}

void SettingsDialog::Build()
{
    auto *grid = new QGridLayout(this);
    grid->addWidget(BuildCommon(), 0, 0);
    grid->addWidget(BuildRecording(), 1, 0);
    grid->addWidget(BuildReport(), 0, 1);
    grid->addWidget(BuildShutter(), 1, 1);
    grid->addWidget(BuildColors(), 2, 0, 1, 2);
    auto *buttons = new QHBoxLayout;
    ui_.cmdDefault = Button(this, "cmdDefault", "Default");
    ui_.OKButton = Button(this, "OKButton", "OK");
    buttons->addStretch(1);
    buttons->addWidget(ui_.cmdDefault);
    buttons->addWidget(ui_.OKButton);
    grid->addLayout(buttons, 3, 0, 1, 2);
    connect(ui_.cmdDefault, &QPushButton::clicked, this, &SettingsDialog::RestoreDefaults);
    connect(ui_.OKButton, &QPushButton::clicked, this, &SettingsDialog::ApplyAndClose);
    for (QWidget *field : std::initializer_list<QWidget *>{ui_.txtAVG, ui_.txtFStep, ui_.txtLStep, ui_.cboInterval,
                                                           ui_.cboTime})
        field->installEventFilter(this);
}

QWidget *SettingsDialog::BuildCommon()
{
    auto *box = new QGroupBox("Common", this);
    auto *grid = new QGridLayout(box);
    ui_.cboComPort = ListBox(box, "cboComPort", "COM Port", {"1", "2", "3", "4"});
    ui_.cboUnit = ListBox(box, "cboUnit", "Unit", {"dBm", "dBu"});
    ui_.txtAVG = TextBox(box, "txtAVG", "Average", 60);
    ui_.UpDown1 = MakeSpinner(box, "UpDown1", "Average", 1, 2, 255);
    connect(ui_.UpDown1, &Spinner::positionChanged, this, [this](int pos) { ui_.txtAVG->setText(QString::number(pos)); });
    ui_.txtFStep = TextBox(box, "txtFStep", "Freq. Step", 80);
    ui_.txtLStep = TextBox(box, "txtLStep", "Level Step", 80);
    ui_.device = new DeviceRow(d_.dialogs, [this] { return ShownPort(); }, box);
    grid->addWidget(Caption("COM Port :", ui_.cboComPort), 0, 0);
    grid->addWidget(ui_.cboComPort, 0, 1);
    grid->addWidget(ui_.device, 1, 0, 1, 4);
    grid->addWidget(Caption("Unit:", ui_.cboUnit), 2, 0);
    grid->addWidget(ui_.cboUnit, 2, 1);
    AddRow(grid, 3, "Average :", ui_.txtAVG, ui_.UpDown1);
    grid->addWidget(Caption("Freq. Step :", ui_.txtFStep), 4, 0);
    grid->addWidget(ui_.txtFStep, 4, 1);
    grid->addWidget(new QLabel("MHz"), 4, 2, 1, 2);
    grid->addWidget(Caption("Level Step :", ui_.txtLStep), 5, 0);
    grid->addWidget(ui_.txtLStep, 5, 1);
    connect(ui_.cboComPort, &QComboBox::editTextChanged, this, [this] { ui_.device->ShowPort(ShownPort()); });
    // A chosen device is taken at once, as OK takes the port: the link exists from now on.
    connect(ui_.device, &DeviceRow::linked, this, [this](int port) {
        d_.settings.ComPortSetting = static_cast<int16_t>(port);
        ApplyPort();
    });
    return box;
}

QWidget *SettingsDialog::BuildRecording()
{
    auto *box = new QGroupBox("Recording", this);
    auto *grid = new QGridLayout(box);
    ui_.cboInterval = ListBox(box, "cboInterval", "Interval", {"0.2", "0.5", "1", "2", "5", "10", "30", "60"});
    ui_.cboTime = ListBox(box, "cboTime", "Time(s)", {"0.5", "1", "2", "5", "10", "20", "30", "Continuous"});
    grid->addWidget(Caption("Interval : ", ui_.cboInterval), 0, 0);
    grid->addWidget(ui_.cboInterval, 0, 1);
    grid->addWidget(new QLabel("Second"), 0, 2);
    grid->addWidget(Caption("Time(s) : ", ui_.cboTime), 1, 0);
    grid->addWidget(ui_.cboTime, 1, 1);
    grid->addWidget(new QLabel("Minute"), 1, 2);
    return box;
}

QWidget *SettingsDialog::BuildReport()
{
    auto *box = new QGroupBox("Report Message", this);
    auto *grid = new QGridLayout(box);
    ui_.txtHeader = TextBox(box, "txtHeader", "Report Header", 220);
    ui_.txtFName = TextBox(box, "txtFName", "File Name", 220);
    ui_.cmdLoadLogo = Button(box, "cmdLoadLogo", "Load");
    ui_.imgLOGO = new QLabel(box);
    ui_.imgLOGO->setObjectName("imgLOGO");
    ui_.imgLOGO->setAccessibleName("LOGO");
    ui_.imgLOGO->setFixedSize(kLogoBox);
    ui_.imgLOGO->setAlignment(Qt::AlignCenter);
    ui_.imgLOGO->setFrameShape(QFrame::Box);
    grid->addWidget(Caption("Report Header", ui_.txtHeader), 0, 0, 1, 2);
    grid->addWidget(ui_.txtHeader, 1, 0, 1, 2);
    grid->addWidget(Caption("File Name", ui_.txtFName), 2, 0, 1, 2);
    grid->addWidget(ui_.txtFName, 3, 0, 1, 2);
    grid->addWidget(ui_.cmdLoadLogo, 4, 0, Qt::AlignTop);
    grid->addWidget(Caption("LOGO", ui_.imgLOGO), 4, 1, Qt::AlignTop);
    grid->addWidget(ui_.imgLOGO, 5, 1);
    connect(ui_.cmdLoadLogo, &QPushButton::clicked, this, &SettingsDialog::LoadLogo);
    return box;
}

QWidget *SettingsDialog::BuildShutter()
{
    auto *box = new QGroupBox("Shutter Directory", this);
    auto *row = new QHBoxLayout(box);
    ui_.txtShutterDir = TextBox(box, "txtShutterDir", "Shutter Directory", 220);
    ui_.chooseFolder = Button(box, "Command1", "Change");
    row->addWidget(ui_.txtShutterDir);
    row->addWidget(ui_.chooseFolder);
    connect(ui_.chooseFolder, &QPushButton::clicked, this, &SettingsDialog::ChooseCaptureFolder);
    return box;
}

QWidget *SettingsDialog::BuildColors()
{
    auto *box = new QGroupBox("Display Color", this);
    auto *grid = new QGridLayout(box);
    for (int i = 0; i < kDisplayColorCount; ++i) {
        const QString name = QString(kColorLabels[i]).remove(':').trimmed() + " color";
        auto *colorBox = ui_.txtColor[static_cast<size_t>(i)] = new ColorBox(name, box);
        colorBox->setObjectName(QString("txtColor%1").arg(i));
        grid->addWidget(Caption(kColorLabels[i], colorBox), i % 4, (i / 4) * 2);
        grid->addWidget(colorBox, i % 4, (i / 4) * 2 + 1);
        connect(colorBox, &ColorBox::selected, this, [this, i] { SelectColorBox(i); });
        // Beyond the palette: any colour from the colour dialog.
        connect(colorBox, &ColorBox::doubleClicked, this, [this, i, colorBox] {
            SelectColorBox(i);
            if (auto c = d_.dialogs.ChooseColor(kColorLabels[i], colorBox->Color()))
                colorBox->SetColor(*c);
        });
    }
    ui_.palette = new PaletteBox(box);
    ui_.palette->setMinimumSize(16 * 16, 5 * 16);
    grid->addWidget(ui_.palette, 0, 4, 4, 1);
    connect(ui_.palette, &PaletteBox::picked, this, &SettingsDialog::PaletteColorPicked);
    return box;
}

void SettingsDialog::FormLoad()
{
    const OperationFile &op = d_.settings;
    SetText(ui_.cboComPort, std::to_string(op.ComPortSetting));
    ui_.device->ShowPort(ShownPort());
    SetText(ui_.cboUnit, TrimSpaces(op.Unit));
    ui_.UpDown1->SetPosition(op.AverageCount);
    SetText(ui_.txtAVG, std::to_string(op.AverageCount));
    SetText(ui_.txtFStep, FloatText(op.FreqStepMHz));
    SetText(ui_.txtLStep, FloatText(op.LevelStep));
    SetText(ui_.cboInterval, TrimSpaces(op.RecordInterval));
    SetText(ui_.cboTime, TrimSpaces(op.RecordTime));
    SetText(ui_.txtHeader, TrimSpaces(op.ReportHeader));
    SetText(ui_.txtFName, TrimSpaces(op.LogoFile));
    ShowLogo(TrimSpaces(op.LogoFile));
    SetText(ui_.txtShutterDir, TrimSpaces(op.CaptureDir));
    for (int i = 0; i < kDisplayColorCount; ++i)
        ui_.txtColor[static_cast<size_t>(i)]->SetColor(*ColorAt(op.Colors, i));
    SelectColorBox(0);
}

std::string SettingsDialog::ShowLogo(const std::string &path)
{
    std::string why;
    const QImage picture = LoadLogoPicture(path, kLogoBox, &why);
    if (picture.isNull())
        ui_.imgLOGO->clear();
    else
        ui_.imgLOGO->setPixmap(QPixmap::fromImage(picture));
    return why;
}

bool SettingsDialog::LogoShown() const { return !ui_.imgLOGO->pixmap().isNull(); }

bool SettingsDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut)
        FieldLeft(qobject_cast<QWidget *>(watched));
    return QWidget::eventFilter(watched, event);
}

void SettingsDialog::FieldLeft(QWidget *field)
{
    if (field == ui_.txtAVG) {
        SetText(ui_.txtAVG, NormalizeAverage(Text(ui_.txtAVG)));
        ui_.UpDown1->SetPosition(static_cast<int>(NumericValue(Text(ui_.txtAVG))));
    } else if (field == ui_.txtFStep) {
        SetText(ui_.txtFStep, NormalizeFreqStep(Text(ui_.txtFStep)));
    } else if (field == ui_.txtLStep) {
        SetText(ui_.txtLStep, NormalizeLevelStep(Text(ui_.txtLStep)));
    } else if (field == ui_.cboInterval) {
        SetText(ui_.cboInterval, NormalizeInterval(Text(ui_.cboInterval)));
    } else if (field == ui_.cboTime) {
        SetText(ui_.cboTime, NormalizeRecordTime(Text(ui_.cboTime)));
    }
}

void SettingsDialog::LoadLogo()
{
    const auto chosen = d_.dialogs.OpenFileName(
        "Load", "JPG File(*.jpg);;Gif File(*.gif);;BMP File(*.bmp);;All Files(*.*)", "");
    if (!chosen)
        return;
    // Taken at once: the logo stays even when the dialog is then closed without OK.
    d_.settings.LogoFile = TrimSpaces(*chosen);
    const std::string why = ShowLogo(d_.settings.LogoFile);
    if (!why.empty())
        d_.dialogs.ShowMessage("TavrinRemote", "The logo cannot be shown: " + why + ". Choose a picture file.");
    SetText(ui_.txtFName, *chosen);
}

void SettingsDialog::ChooseCaptureFolder()
{
    if (auto folder = d_.dialogs.ChooseFolder("Shutter Directory", Text(ui_.txtShutterDir)))
        SetText(ui_.txtShutterDir, *folder);
}

void SettingsDialog::RestoreDefaults()
{
    const DisplayColors defaults = DefaultDisplayColors();
    for (int i = 0; i < kDisplayColorCount; ++i)
        ui_.txtColor[static_cast<size_t>(i)]->SetColor(*ColorAt(defaults, i));
    SetText(ui_.txtShutterDir, WorkingFolder());
}

void SettingsDialog::SelectColorBox(int index)
{
    if (index < 0 || index >= kDisplayColorCount)
        return;
    selectedBox_ = index;
    for (int i = 0; i < kDisplayColorCount; ++i)
        ui_.txtColor[static_cast<size_t>(i)]->SetSelected(i == index);
}

void SettingsDialog::PaletteColorPicked(uint32_t color)
{
    ui_.txtColor[static_cast<size_t>(selectedBox_)]->SetColor(color);
}

void SettingsDialog::ApplyAverage()
{
    d_.settings.AverageCount = static_cast<int16_t>(
        RoundHalfEvenToInt32(std::clamp(NumericValue(Text(ui_.txtAVG)), -32768.0, 32767.0)));
    // With averaging on, the running average starts again over the new count.
    d_.session.SetAverageCount(d_.settings.AverageCount);
}

int SettingsDialog::ShownPort() const
{
    const double port = RoundHalfEven(NumericValue(Text(ui_.cboComPort)));
    return port >= 1 && port <= 4 ? static_cast<int>(port) : 0;
}

void SettingsDialog::ApplyPort()
{
    // While the acquisition runs the new port is only stored; it is taken at the next OK while
    // stopped or at the next start of the program.
    if (d_.session.Line().Running())
        return;
    d_.session.Line().SelectPort(d_.settings.ComPortSetting, d_.portInUse);
}

void SettingsDialog::ApplyDisplay()
{
    const DisplayColors &colors = d_.settings.Colors;
    d_.session.Settings().SetUnit(d_.settings.Unit);
    d_.display.MakeLabels(colors.Background, colors.Marker);
    d_.display.SetBaseColor(colors.Base);
    d_.display.Redraw();
}

void SettingsDialog::ApplyAndClose()
{
    OperationFile &op = d_.settings;
    ApplyAverage();
    op.LogoFile = TrimSpaces(Text(ui_.txtFName));
    op.ReportHeader = Text(ui_.txtHeader);
    if (const int port = ShownPort())
        op.ComPortSetting = static_cast<int16_t>(port);
    if (const std::string unit = TrimSpaces(Text(ui_.cboUnit)); unit == "dBm" || unit == "dBu")
        op.Unit = unit;
    if (const double step = NumericValue(Text(ui_.txtFStep)); step >= 0.001 && step <= 100)
        op.FreqStepMHz = ToSingle(step);
    if (const double step = NumericValue(Text(ui_.txtLStep)); step >= 0.1 && step <= 10)
        op.LevelStep = ToSingle(step);
    op.RecordInterval = Text(ui_.cboInterval);
    op.RecordTime = Text(ui_.cboTime);
    for (int i = 0; i < kDisplayColorCount; ++i)
        *ColorAt(op.Colors, i) = ui_.txtColor[static_cast<size_t>(i)]->Color();
    op.CaptureDir = TrimSpaces(Text(ui_.txtShutterDir));
    ApplyPort();
    ApplyDisplay();
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->close();
    else
        close();
}

}  // namespace tavrin
