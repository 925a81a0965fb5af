// Every message box and file, folder, colour or print dialog of the program goes through this one
// interface, so that tests can answer it and read what was asked. A dialog the user cancels
// answers nothing (or false).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QPrinter;

namespace tavrin {

// A progress dialog with a Cancel button, open while a long file job runs; closed when the view
// is destroyed. Used on the window thread only.
class ProgressView {
public:
    virtual ~ProgressView() = default;
    virtual void Show(int64_t done, int64_t total) = 0;
    virtual bool CancelPressed() = 0;
};

// One field of a form: a text to type, or one of the choices when there are any.
struct FormField {
    std::string label;
    std::string text;  // shown first; for a choice, the choice shown first
    std::vector<std::string> choices;
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // A message box with an OK button only.
    virtual void ShowMessage(const std::string &title, const std::string &text) = 0;
    // A question box with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string &, const std::string &) { return false; }
    // File dialogs; filter as "Tavrin Files (*.spf)", several separated by ";;".
    virtual std::optional<std::string> OpenFileName(const std::string & /*title*/, const std::string & /*filter*/,
                                                    const std::string & /*start*/)
    {
        return std::nullopt;
    }
    virtual std::optional<std::string> SaveFileName(const std::string & /*title*/, const std::string & /*filter*/,
                                                    const std::string & /*start*/)
    {
        return std::nullopt;
    }
    // A save dialog offering several filters ("A (*.a);;B (*.b)"): the name, and which filter the
    // user left chosen (0 the first).
    struct SavedAs {
        std::string name;
        size_t filter = 0;
    };
    virtual std::optional<SavedAs> SaveFileNameAs(const std::string &title, const std::string &filters,
                                                  const std::string &start)
    {
        std::optional<std::string> name = SaveFileName(title, filters, start);
        if (!name)
            return std::nullopt;
        return SavedAs{*name, 0};
    }
    virtual std::optional<std::string> ChooseFolder(const std::string & /*title*/, const std::string & /*start*/)
    {
        return std::nullopt;
    }
    // A colour as 0x00BBGGRR.
    virtual std::optional<uint32_t> ChooseColor(const std::string & /*title*/, uint32_t /*initial*/)
    {
        return std::nullopt;
    }
    // One item of a list, by its index; the item at `selected` is the one offered first.
    virtual std::optional<size_t> ChooseItem(const std::string & /*title*/, const std::string & /*label*/,
                                             const std::vector<std::string> & /*items*/, size_t /*selected*/)
    {
        return std::nullopt;
    }
    // A form of labelled fields with OK and Cancel: the texts given, in the fields' order.
    virtual std::optional<std::vector<std::string>> AskForm(const std::string & /*title*/,
                                                           const std::vector<FormField> & /*fields*/)
    {
        return std::nullopt;
    }
    // The progress of a long file job (nothing: none is shown and the job cannot be cancelled).
    virtual std::unique_ptr<ProgressView> ShowProgress(const std::string & /*title*/, const std::string & /*text*/)
    {
        return nullptr;
    }
    // The system print dialog for this printer (printer and destination picked there).
    virtual bool SetUpPrinter(QPrinter &) { return false; }
};

}  // namespace tavrin
