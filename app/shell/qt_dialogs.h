// The program's dialogs shown with Qt's standard boxes.
#pragma once

#include "common/dialogs.h"

class QInputDialog;
class QWidget;

namespace tavrin {

// Gives the list of an item chooser the label's words as its accessible name (without the colon).
void NameItemList(QInputDialog &dialog, const std::string &label);

class QtDialogs : public UserDialogs {
public:
    void SetParent(QWidget *parent) { parent_ = parent; }
    void ShowMessage(const std::string &title, const std::string &text) override;
    bool AskYesNo(const std::string &title, const std::string &text) override;
    std::optional<std::string> OpenFileName(const std::string &title, const std::string &filter,
                                            const std::string &start) override;
    std::optional<std::string> SaveFileName(const std::string &title, const std::string &filter,
                                            const std::string &start) override;
    std::optional<SavedAs> SaveFileNameAs(const std::string &title, const std::string &filters,
                                          const std::string &start) override;
    std::optional<std::string> ChooseFolder(const std::string &title, const std::string &start) override;
    std::optional<uint32_t> ChooseColor(const std::string &title, uint32_t initial) override;
    std::optional<size_t> ChooseItem(const std::string &title, const std::string &label,
                                     const std::vector<std::string> &items, size_t selected) override;
    std::optional<std::vector<std::string>> AskForm(const std::string &title,
                                                   const std::vector<FormField> &fields) override;
    std::unique_ptr<ProgressView> ShowProgress(const std::string &title, const std::string &text) override;
    bool SetUpPrinter(QPrinter &printer) override;

private:
    QWidget *parent_ = nullptr;
};

}  // namespace tavrin
