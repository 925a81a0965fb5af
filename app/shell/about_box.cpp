#include "shell/about_box.h"

#include "shell/system_info.h"

#include <QCoreApplication>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavrin {

AboutBox::AboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName("frmAbout");
    const QString title = QCoreApplication::applicationName();
    setWindowTitle("About " + title);
    lblTitle = new QLabel(title, this);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = new QLabel(QString("Version : %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision),
                            this);
    lblDescription = new QLabel("Norvale Spectrum Analyzer Tavrin Remote Control System", this);
    lblDisclaimer = new QLabel(
        "This program is provided as is, without warranty of any kind. It changes the settings of the "
        "analyzer it is connected to; check them before you rely on a measurement.",
        this);
    lblDisclaimer->setWordWrap(true);
    lblDisclaimer->setFrameShape(QFrame::StyledPanel);
    cmdOK = new QPushButton("OK", this);
    cmdOK->setObjectName("cmdOK");
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton("System(&S)...", this);
    cmdSysInfo->setObjectName("cmdSysInfo");
    for (QLabel *l : {lblTitle, lblVersion, lblDescription, lblDisclaimer})
        l->setAccessibleName(l->text());

    auto *grid = new QGridLayout(this);
    grid->addWidget(lblTitle, 0, 0, 1, 2);
    grid->addWidget(lblVersion, 1, 0, 1, 2);
    grid->addWidget(lblDescription, 2, 0, 1, 2);
    grid->addWidget(lblDisclaimer, 3, 0, 2, 1);
    grid->addWidget(cmdOK, 3, 1);
    grid->addWidget(cmdSysInfo, 4, 1, Qt::AlignTop);
    grid->setColumnStretch(0, 1);
    setMinimumWidth(480);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::close);
    connect(cmdSysInfo, &QPushButton::clicked, this, &AboutBox::StartSysInfo);
}

QDialog *AboutBox::StartSysInfo()
{
    auto *window = new QDialog(this);
    window->setObjectName("frmSystem");
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle("System Information");
    auto *layout = new QVBoxLayout(window);
    auto *text = new QPlainTextEdit(QString::fromStdString(SystemReport()), window);
    text->setReadOnly(true);
    text->setAccessibleName("System Information");
    text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(text);
    auto *close = new QPushButton("Close", window);
    layout->addWidget(close, 0, Qt::AlignRight);
    connect(close, &QPushButton::clicked, window, &QDialog::close);
    window->resize(640, 420);
    window->show();
    return window;
}

}  // namespace tavrin
