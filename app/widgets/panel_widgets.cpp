#include "widgets/panel_widgets.h"

#include "widgets/spinner.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavrin {

BusyPointer::BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
BusyPointer::~BusyPointer() { QApplication::restoreOverrideCursor(); }

std::string Text(const QLineEdit *edit) { return edit->text().toLatin1().toStdString(); }
std::string Text(const QComboBox *box) { return box->currentText().toLatin1().toStdString(); }

void SetText(QLineEdit *edit, const std::string &text)
{
    edit->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

void SetText(QComboBox *box, const std::string &text)
{
    box->setEditText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}


QComboBox *CaptionBox(QWidget *parent, const char *name, const QString &accessibleName)
{
    auto *box = new QComboBox(parent);
    box->setObjectName(name);
    box->setAccessibleName(accessibleName);
    box->setEditable(true);
    box->lineEdit()->setReadOnly(true);
    box->lineEdit()->setAccessibleName(accessibleName);
    box->setFocusPolicy(Qt::NoFocus);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    box->setMinimumContentsLength(10);
    return box;
}

Spinner *MakeSpinner(QWidget *parent, const char *name, const QString &accessibleName, int step, int lowest,
                     int highest)
{
    auto *s = new Spinner(Qt::Vertical, parent);
    s->setObjectName(name);
    s->SetAccessibleName(accessibleName);
    s->SetRange(lowest, highest);
    s->SetStep(step);
    return s;
}

QPushButton *Button(QWidget *parent, const char *name, const char *caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    return b;  // a button's caption is its accessible name
}

QCheckBox *Switch(QWidget *parent, const char *name, const char *caption, const char *description)
{
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setAccessibleName(description);
    box->setToolTip(description);
    return box;
}

QLineEdit *TextBox(QWidget *parent, const char *name, const QString &accessibleName, int width)
{
    auto *t = new QLineEdit(parent);
    t->setObjectName(name);
    t->setAccessibleName(accessibleName);
    t->setFixedWidth(width);
    return t;
}

void AddRow(QGridLayout *grid, int row, const char *label, QWidget *field, QWidget *spinner, const char *unit)
{
    auto *caption = new QLabel(label);
    caption->setBuddy(field);
    grid->addWidget(caption, row, 0);
    grid->addWidget(field, row, 1);
    grid->addWidget(spinner, row, 2);
    if (unit)
        grid->addWidget(new QLabel(unit), row, 3);
}

}  // namespace tavrin
