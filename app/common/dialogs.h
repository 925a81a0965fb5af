// Every message box and file, folder, colour or print dialog of the program goes through this one
// interface, so that tests can answer it and read what was asked. A dialog the user cancels
// answers nothing (or false).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QPrinter;

namespace tavrin {

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
    virtual std::optional<std::string> ChooseFolder(const std::string & /*title*/, const std::string & /*start*/)
    {
        return std::nullopt;
    }
    // A colour as 0x00BBGGRR.
    virtual std::optional<uint32_t> ChooseColor(const std::string & /*title*/, uint32_t /*initial*/)
    {
        return std::nullopt;
    }
    // One item of a list, by its index.
    virtual std::optional<size_t> ChooseItem(const std::string & /*title*/, const std::string & /*label*/,
                                             const std::vector<std::string> & /*items*/)
    {
        return std::nullopt;
    }
    // The system print dialog for this printer (printer and destination picked there).
    virtual bool SetUpPrinter(QPrinter &) { return false; }
};

}  // namespace tavrin
