#include "shell/qt_dialogs.h"

#include "common/color_qt.h"

#include <algorithm>
#include <functional>

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QListView>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPointer>
#include <QProgressDialog>

namespace tavrin {

namespace {

QString Q(const std::string &s) { return QString::fromStdString(s); }

// Names as the file system's bytes, as the locale encodes them.
std::optional<std::string> Chosen(const QString &name)
{
    if (name.isEmpty())
        return std::nullopt;
    return QFile::encodeName(name).toStdString();
}

QString Path(const std::string &s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

// Shown only when the job lasts: a short one does not flash a dialog.
constexpr int kProgressAfterMs = 400;
constexpr int kProgressSteps = 1000;

class QtProgress : public ProgressView {
public:
    QtProgress(QWidget *parent, const QString &title, const QString &text)
        : dialog_(new QProgressDialog(text, "Cancel", 0, kProgressSteps, parent))
    {
        dialog_->setWindowTitle(title);
        dialog_->setAccessibleName(title);
        dialog_->setWindowModality(Qt::WindowModal);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumDuration(kProgressAfterMs);
        dialog_->setValue(0);
    }
    ~QtProgress() override { delete dialog_.data(); }  // unless its parent took it along
    QtProgress(const QtProgress &) = delete;
    QtProgress &operator=(const QtProgress &) = delete;

    void Show(int64_t done, int64_t total) override
    {
        if (dialog_ && total > 0)
            dialog_->setValue(static_cast<int>(std::clamp<int64_t>(done * kProgressSteps / total, 0, kProgressSteps)));
    }
    bool CancelPressed() override { return dialog_ && dialog_->wasCanceled(); }

private:
    QPointer<QProgressDialog> dialog_;
};

}  // namespace

void NameItemList(QInputDialog &dialog, const std::string &label)
{
    // Unnamed, a screen reader would call the list by its current item.
    QString name = Q(label).trimmed();
    if (name.endsWith(':'))
        name.chop(1);
    for (QListView *list : dialog.findChildren<QListView *>())
        list->setAccessibleName(name);
}

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
    return Chosen(QFileDialog::getOpenFileName(parent_, Q(title), Path(start), Q(filter)));
}

std::optional<std::string> QtDialogs::SaveFileName(const std::string &title, const std::string &filter,
                                                   const std::string &start)
{
    // The program asks its own replace question, as it always has.
    return Chosen(QFileDialog::getSaveFileName(parent_, Q(title), Path(start), Q(filter), nullptr,
                                               QFileDialog::DontConfirmOverwrite));
}

std::optional<UserDialogs::SavedAs> QtDialogs::SaveFileNameAs(const std::string &title, const std::string &filters,
                                                              const std::string &start)
{
    QString chosen;
    const std::optional<std::string> name = Chosen(QFileDialog::getSaveFileName(
        parent_, Q(title), Path(start), Q(filters), &chosen, QFileDialog::DontConfirmOverwrite));
    if (!name)
        return std::nullopt;
    const qsizetype filter = Q(filters).split(";;").indexOf(chosen);
    return SavedAs{*name, filter > 0 ? static_cast<size_t>(filter) : 0};
}

std::optional<std::string> QtDialogs::ChooseFolder(const std::string &title, const std::string &start)
{
    return Chosen(QFileDialog::getExistingDirectory(parent_, Q(title), Path(start)));
}

std::optional<uint32_t> QtDialogs::ChooseColor(const std::string &title, uint32_t initial)
{
    const QColor c = QColorDialog::getColor(ToQColor(initial), parent_, Q(title));
    if (!c.isValid())
        return std::nullopt;
    return FromQColor(c);
}

std::optional<size_t> QtDialogs::ChooseItem(const std::string &title, const std::string &label,
                                            const std::vector<std::string> &items, size_t selected)
{
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(Q(title));
    dialog.setLabelText(Q(label));
    QStringList list;
    for (const std::string &item : items)
        list << Q(item);
    dialog.setComboBoxItems(list);
    dialog.setOption(QInputDialog::UseListViewForComboBoxItems);
    if (selected < items.size())
        dialog.setTextValue(list[static_cast<qsizetype>(selected)]);
    dialog.setAccessibleName(Q(title));
    NameItemList(dialog, label);
    dialog.resize(720, 320);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const qsizetype index = list.indexOf(dialog.textValue());
    return index < 0 ? std::nullopt : std::optional<size_t>(static_cast<size_t>(index));
}

std::optional<std::vector<std::string>> QtDialogs::AskForm(const std::string &title,
                                                          const std::vector<FormField> &fields)
{
    QDialog dialog(parent_);
    dialog.setWindowTitle(Q(title));
    dialog.setAccessibleName(Q(title));
    auto *form = new QFormLayout(&dialog);
    std::vector<std::function<std::string()>> answers;
    for (const FormField &field : fields) {
        QWidget *input = nullptr;
        if (field.choices.empty()) {
            auto *line = new QLineEdit(Q(field.text), &dialog);
            answers.push_back([line] { return line->text().toStdString(); });
            input = line;
        } else {
            auto *box = new QComboBox(&dialog);
            for (const std::string &choice : field.choices)
                box->addItem(Q(choice));
            box->setCurrentText(Q(field.text));
            answers.push_back([box] { return box->currentText().toStdString(); });
            input = box;
        }
        input->setAccessibleName(Q(field.label));
        form->addRow(Q(field.label), input);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    std::vector<std::string> texts;
    for (const auto &answer : answers)
        texts.push_back(answer());
    return texts;
}

std::unique_ptr<ProgressView> QtDialogs::ShowProgress(const std::string &title, const std::string &text)
{
    return std::make_unique<QtProgress>(parent_, Q(title), Q(text));
}

bool QtDialogs::SetUpPrinter(QPrinter &printer)
{
    QPrintDialog dialog(&printer, parent_);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tavrin
