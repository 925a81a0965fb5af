// Answers the program's dialogs in tests and keeps what they asked.
#pragma once

#include "common/dialogs.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavrin::test {

struct ShownMessage {
    std::string title;
    std::string text;
};

class FakeDialogs : public tavrin::UserDialogs {
public:
    void ShowMessage(const std::string &title, const std::string &text) override { messages.push_back({title, text}); }
    bool AskYesNo(const std::string &title, const std::string &text) override
    {
        questions.push_back({title, text});
        return Next(yesNo, false);
    }
    std::optional<std::string> OpenFileName(const std::string &, const std::string &filter,
                                            const std::string &) override
    {
        filters.push_back(filter);
        return Next(files, std::optional<std::string>());
    }
    std::optional<std::string> SaveFileName(const std::string &, const std::string &filter,
                                            const std::string &) override
    {
        filters.push_back(filter);
        return Next(files, std::optional<std::string>());
    }
    std::optional<std::string> ChooseFolder(const std::string &, const std::string &) override
    {
        return Next(folders, std::optional<std::string>());
    }
    std::optional<uint32_t> ChooseColor(const std::string &, uint32_t) override
    {
        return Next(colors, std::optional<uint32_t>());
    }
    // The print dialog answers with printer set-up done by the test (e.g. a PDF file).
    bool SetUpPrinter(QPrinter &printer) override { return printerSetUp ? printerSetUp(printer) : false; }

    std::vector<ShownMessage> messages;
    std::vector<ShownMessage> questions;
    std::vector<std::string> filters;
    // Answers given in order; an empty queue answers No or cancel.
    std::deque<bool> yesNo;
    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<std::string>> folders;
    std::deque<std::optional<uint32_t>> colors;
    std::function<bool(QPrinter &)> printerSetUp;

private:
    template <typename T, typename D>
    static D Next(std::deque<T> &queue, D none)
    {
        if (queue.empty())
            return none;
        D answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

}  // namespace tavrin::test
