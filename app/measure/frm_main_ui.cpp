// The control panel's controls and their arrangement.
#include "measure/frm_main.h"
#include "measure/spinner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrin {

namespace {

// A caption box: shows a table row's caption; it is changed through its spinner only.
QComboBox *CaptionBox(QWidget *parent, const char *name)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->lineEdit()->setReadOnly(true);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->setMinimumContentsLength(10);
    return box;
}

Spinner *MakeSpinner(QWidget *parent, const char *name, int step, int lowest, int highest,
                     Qt::Orientation o = Qt::Vertical)
{
    auto *s = new Spinner(o, parent);
    s->setObjectName(name);
    s->SetRange(lowest, highest);
    s->SetStep(step);
    return s;
}

QPushButton *Button(QWidget *parent, const char *name, const char *caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;
}

// One row of a group: label, field, spinner and an optional unit.
void AddRow(QGridLayout *grid, int row, const char *label, QWidget *field, QWidget *spinner,
            const char *unit = nullptr)
{
    grid->addWidget(new QLabel(label), row, 0);
    grid->addWidget(field, row, 1);
    grid->addWidget(spinner, row, 2);
    if (unit)
        grid->addWidget(new QLabel(unit), row, 3);
}

QLineEdit *TextBox(QWidget *parent, const char *name, int width)
{
    auto *t = new QLineEdit(parent);
    t->setObjectName(name);
    t->setFixedWidth(width);
    return t;
}

}  // namespace

void FrmMain::BuildControls()
{
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->setSpacing(6);

    // Basic measurement settings.
    ui_.fraBasic = new QGroupBox("Basic Funtion", this);
    auto *basic = new QGridLayout(ui_.fraBasic);
    ui_.txtCenterFreq = TextBox(ui_.fraBasic, "txtCenterFreq", 90);
    ui_.txtCenterFreq->setToolTip("Center Frequency");
    ui_.updCenterFreq = MakeSpinner(ui_.fraBasic, "updCenterFreq", 1000, -1100000, 1100000);
    ui_.cboSpan = CaptionBox(ui_.fraBasic, "cboSpan");
    ui_.updSpan = MakeSpinner(ui_.fraBasic, "updSpan", 1, 0, 15);
    ui_.cboRefLevel = CaptionBox(ui_.fraBasic, "cboRefLevel");
    ui_.updRefLevel = MakeSpinner(ui_.fraBasic, "updRefLevel", 1, 0, 5);
    ui_.cboRBW = CaptionBox(ui_.fraBasic, "cboRBW");
    ui_.updRBW = MakeSpinner(ui_.fraBasic, "updRBW", 1, 0, 3);
    AddRow(basic, 0, "CENTER", ui_.txtCenterFreq, ui_.updCenterFreq, "MHz");
    AddRow(basic, 1, "SPAN", ui_.cboSpan, ui_.updSpan);
    AddRow(basic, 2, "REF LVL", ui_.cboRefLevel, ui_.updRefLevel, "dBm");
    AddRow(basic, 3, "RBW", ui_.cboRBW, ui_.updRBW);
    outer->addWidget(ui_.fraBasic);

    // Markers.
    ui_.fraMarker = new QGroupBox("Marker", this);
    auto *mk = new QGridLayout(ui_.fraMarker);
    mk->addWidget(new QLabel("Freq.(MHz)"), 0, 1);
    mk->addWidget(new QLabel("Delta MKR"), 0, 3);
    for (int i = 0; i < kMarkerCount; ++i) {
        const auto n = static_cast<size_t>(i);
        ui_.chkMKR[n] = new QCheckBox(QString::number(i + 1), ui_.fraMarker);
        ui_.chkMKR[n]->setObjectName(QString("chkMKR%1").arg(i));
        ui_.txtMKR[n] = TextBox(ui_.fraMarker, "txtMKR", 90);
        ui_.txtMKR[n]->setObjectName(QString("txtMKR%1").arg(i));
        ui_.updMKR[n] = MakeSpinner(ui_.fraMarker, "updMKR", 1000, -1000000, 1000000);
        ui_.updMKR[n]->setObjectName(QString("updMKR%1").arg(i));
        ui_.cboMKR[n] = new QComboBox(ui_.fraMarker);
        ui_.cboMKR[n]->setObjectName(QString("cboMKR%1").arg(i));
        mk->addWidget(ui_.chkMKR[n], i + 1, 0);
        mk->addWidget(ui_.txtMKR[n], i + 1, 1);
        mk->addWidget(ui_.updMKR[n], i + 1, 2);
        mk->addWidget(ui_.cboMKR[n], i + 1, 3);
    }
    ui_.cmdPeak = Button(ui_.fraMarker, "cmdPeak", "Peak");
    mk->addWidget(ui_.cmdPeak, kMarkerCount + 1, 3);
    outer->addWidget(ui_.fraMarker);

    // Limit lines; the check boxes' text colours are the lines' colours, a legend.
    ui_.fraLimit = new QGroupBox("Limit", this);
    auto *lim = new QGridLayout(ui_.fraLimit);
    for (int k = 0; k < 2; ++k) {
        const auto n = static_cast<size_t>(k);
        ui_.chkLim[n] = new QCheckBox(QString("Limit %1").arg(k + 1), ui_.fraLimit);
        ui_.chkLim[n]->setObjectName(QString("chkLim%1").arg(k));
        const uint32_t c = limits_[n].color;
        ui_.chkLim[n]->setStyleSheet(
            QString("QCheckBox { color: rgb(%1, %2, %3); }").arg(c & 0xFF).arg((c >> 8) & 0xFF).arg((c >> 16) & 0xFF));
        ui_.cboLim[n] = new QComboBox(ui_.fraLimit);
        ui_.cboLim[n]->setObjectName(QString("cboLim%1").arg(k));
        ui_.cboLim[n]->setMinimumContentsLength(10);
        lim->addWidget(ui_.chkLim[n], k, 0);
        lim->addWidget(ui_.cboLim[n], k, 1);
    }
    outer->addWidget(ui_.fraLimit);

    // Recording and playback.
    ui_.fraRecord = new QGroupBox("Trace Record", this);
    auto *rec = new QGridLayout(ui_.fraRecord);
    ui_.cmdRecord = Button(ui_.fraRecord, "cmdRecord", "Record");
    ui_.cmdPlayRecord = Button(ui_.fraRecord, "cmdPlayRecord", "Play");
    ui_.cmdLoadRecord = Button(ui_.fraRecord, "cmdLoadRecord", "Load");
    ui_.cmdSaveRecord = Button(ui_.fraRecord, "cmdSaveRecord", "Save");
    rec->addWidget(ui_.cmdRecord, 0, 0);
    rec->addWidget(ui_.cmdPlayRecord, 0, 1);
    rec->addWidget(ui_.cmdLoadRecord, 1, 0);
    rec->addWidget(ui_.cmdSaveRecord, 1, 1);
    outer->addWidget(ui_.fraRecord);

    // Tracking generator.
    ui_.cmdTGMode = Button(this, "cmdTGMode", "TG Mode");
    outer->addWidget(ui_.cmdTGMode);
    ui_.fraTG = new QGroupBox("TG Function", this);
    auto *tg = new QGridLayout(ui_.fraTG);
    ui_.txtTGLevel = TextBox(ui_.fraTG, "txtTGLevel", 60);
    ui_.txtTGLevel->setText("-50");
    ui_.updTGLevel = MakeSpinner(ui_.fraTG, "updTGLevel", 1, -59, 0);
    ui_.updTGLevel->SetPosition(-50);
    ui_.txtTGOffset = TextBox(ui_.fraTG, "txtTGOffset", 60);
    ui_.txtTGOffset->setText("0");
    ui_.updTGOffset = MakeSpinner(ui_.fraTG, "updTGOffset", 1, -99, 99);
    ui_.cmdTGON = Button(ui_.fraTG, "cmdTGON", "ON");
    ui_.cmdNormal = Button(ui_.fraTG, "cmdNormal", "Normalize");
    AddRow(tg, 0, "Level", ui_.txtTGLevel, ui_.updTGLevel, "(dBm)");
    AddRow(tg, 1, "Offset", ui_.txtTGOffset, ui_.updTGOffset, "(KHz)");
    tg->addWidget(ui_.cmdTGON, 2, 1);
    tg->addWidget(ui_.cmdNormal, 2, 2, 1, 2);
    outer->addWidget(ui_.fraTG);

    // Acquisition and output buttons.
    auto *buttons = new QGridLayout;
    ui_.cmdStart = Button(this, "cmdStart", "Start");
    ui_.cmdAVG = Button(this, "cmdAVG", "AVG  ON");
    ui_.cmdFreeze = Button(this, "cmdFreeze", "Freeze");
    ui_.cmdShutter = Button(this, "cmdShutter", "Shutter");
    ui_.cmdShutter->setToolTip("Save Trace as JPEG File");
    ui_.cmdPrint = Button(this, "cmdPrint", "Print");
    ui_.cmdQuit = Button(this, "cmdQuit", "Quit");
    buttons->addWidget(ui_.cmdStart, 0, 0);
    buttons->addWidget(ui_.cmdAVG, 0, 1);
    buttons->addWidget(ui_.cmdFreeze, 0, 2);
    buttons->addWidget(ui_.cmdShutter, 1, 0);
    buttons->addWidget(ui_.cmdPrint, 1, 1);
    buttons->addWidget(ui_.cmdQuit, 1, 2);
    outer->addLayout(buttons);
    outer->addStretch(1);
}

}  // namespace tavrin
