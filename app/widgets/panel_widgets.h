// Small pieces every panel group builds its controls from: named controls with accessible names,
// texts read and written byte for byte, the busy pointer.
#pragma once

#include <QString>
#include <string>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;
class QWidget;

namespace tavrin {

class Spinner;

// The busy mouse pointer for the life of a handler.
struct BusyPointer {
    BusyPointer();
    ~BusyPointer();
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

// Panel texts are single bytes, as the operation file keeps them: Latin-1 both ways, so that a
// byte that is not UTF-8 comes back as the same byte.
std::string Text(const QLineEdit *edit);
std::string Text(const QComboBox *box);
void SetText(QLineEdit *edit, const std::string &text);
void SetText(QComboBox *box, const std::string &text);


inline constexpr char kLightGrey[] = "background-color: rgb(238, 238, 238);";

// A caption box: shows a table row's caption; it is changed through its spinner only.
QComboBox *CaptionBox(QWidget *parent, const char *name, const QString &accessibleName);
Spinner *MakeSpinner(QWidget *parent, const char *name, const QString &accessibleName, int step, int lowest,
                     int highest);
QPushButton *Button(QWidget *parent, const char *name, const char *caption);
// A check box whose description is read out and shown as its tip.
QCheckBox *Switch(QWidget *parent, const char *name, const char *caption, const char *description);
QLineEdit *TextBox(QWidget *parent, const char *name, const QString &accessibleName, int width);
// One row of a group: label, field, spinner and an optional unit.
void AddRow(QGridLayout *grid, int row, const char *label, QWidget *field, QWidget *spinner,
            const char *unit = nullptr);

}  // namespace tavrin
