#include "shell/qt_dialogs.h"

#include <QMessageBox>

namespace tavrin {

void QtDialogs::ShowMessage(const std::string &title, const std::string &text)
{
    QMessageBox::information(parent_, QString::fromStdString(title), QString::fromStdString(text), QMessageBox::Ok);
}

}  // namespace tavrin
