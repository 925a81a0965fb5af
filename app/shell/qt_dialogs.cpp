#include "shell/qt_dialogs.h"

#include "common/color_qt.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace tavrin {

namespace {

QString Q(const std::string &s) { return QString::fromStdString(s); }

std::optional<std::string> Chosen(const QString &name)
{
    if (name.isEmpty())
        return std::nullopt;
    return name.toStdString();
}

}  // namespace

void QtDialogs::ShowMessage(const std::string &title, const std::string &text)
{
    QMessageBox::information(parent_, Q(title), Q(text), QMessageBox::Ok);
}

bool QtDialogs::AskYesNo(const std::string &title, const std::string &text)
{
    return QMessageBox::question(parent_, Q(title), Q(text), QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<std::string> QtDialogs::OpenFileName(const std::string &title, const std::string &filter,
                                                   const std::string &start)
{
    return Chosen(QFileDialog::getOpenFileName(parent_, Q(title), Q(start), Q(filter)));
}

std::optional<std::string> QtDialogs::SaveFileName(const std::string &title, const std::string &filter,
                                                   const std::string &start)
{
    // The program asks its own replace question, as it always has.
    return Chosen(QFileDialog::getSaveFileName(parent_, Q(title), Q(start), Q(filter), nullptr,
                                               QFileDialog::DontConfirmOverwrite));
}

std::optional<std::string> QtDialogs::ChooseFolder(const std::string &title, const std::string &start)
{
    return Chosen(QFileDialog::getExistingDirectory(parent_, Q(title), Q(start)));
}

std::optional<uint32_t> QtDialogs::ChooseColor(const std::string &title, uint32_t initial)
{
    const QColor c = QColorDialog::getColor(ToQColor(initial), parent_, Q(title));
    if (!c.isValid())
        return std::nullopt;
    return FromQColor(c);
}

std::optional<size_t> QtDialogs::ChooseItem(const std::string &title, const std::string &label,
                                            const std::vector<std::string> &items)
{
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(Q(title));
    dialog.setLabelText(Q(label));
    QStringList list;
    for (const std::string &item : items)
        list << Q(item);
    dialog.setComboBoxItems(list);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    dialog.setAccessibleName(Q(title));
    dialog.resize(720, 320);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const qsizetype index = list.indexOf(dialog.textValue());
    return index < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(index));
}

bool QtDialogs::SetUpPrinter(QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tavrin
