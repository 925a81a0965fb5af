// Answers the program's dialogs in tests and keeps what they asked.
#pragma once

#include "common/dialogs.h"

#include <algorithm>
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

// Answers are given in order; an empty queue answers No or cancel. Folder and colour dialogs cancel.
class FakeDialogs : public tavrin::UserDialogs {
public:
    void ShowMessage(const std::string &title, const std::string &text) override { messages.push_back({title, text}); }
    bool AskYesNo(const std::string &title, const std::string &text) override
    {
        questions.push_back({title, text});
        return Next(yesNo, false);
    }
    std::optional<std::string> OpenFileName(const std::string &, const std::string &filter, const std::string &) override
    {
        filters.push_back(filter);
        return Next(files, std::optional<std::string>());
    }
    std::optional<std::string> SaveFileName(const std::string &t, const std::string &f, const std::string &s) override
    {
        return OpenFileName(t, f, s);
    }
    // The next file with the next of `filterChoices` (the first filter without).
    std::optional<SavedAs> SaveFileNameAs(const std::string &t, const std::string &f, const std::string &s) override
    {
        const std::optional<std::string> name = SaveFileName(t, f, s);
        const size_t filter = Next(filterChoices, size_t{0});
        return name ? std::optional(SavedAs{*name, filter}) : std::nullopt;
    }
    // A list choice answered by the test's function of the items (cancel without one).
    std::optional<size_t> ChooseItem(const std::string &, const std::string &, const std::vector<std::string> &items,
                                     size_t selected) override
    {
        offered.push_back(selected);
        return chooseItem ? chooseItem(items) : std::nullopt;
    }
    // A form answered with the next texts of `forms` (cancel without), the fields kept.
    std::optional<std::vector<std::string>> AskForm(const std::string &, const std::vector<FormField> &fields) override
    {
        formFields.push_back(fields);
        return Next(forms, std::optional<std::vector<std::string>>());
    }
    // A progress view that records what it showed and presses Cancel once the job is cancelAt of
    // the way (never when cancelAt is unset).
    std::unique_ptr<ProgressView> ShowProgress(const std::string &, const std::string &) override
    {
        return std::make_unique<Progress>(*this);
    }
    // The print dialog answers with printer set-up done by the test (e.g. a PDF file).
    bool SetUpPrinter(QPrinter &printer) override { return printerSetUp && printerSetUp(printer); }

    std::vector<ShownMessage> messages, questions;
    std::vector<std::string> filters;
    std::deque<bool> yesNo;
    std::deque<std::optional<std::string>> files;
    std::deque<size_t> filterChoices;
    std::function<bool(QPrinter &)> printerSetUp;
    std::function<std::optional<size_t>(const std::vector<std::string> &)> chooseItem;
    std::vector<size_t> offered;  // the item each list choice offered first
    std::deque<std::optional<std::vector<std::string>>> forms;
    std::vector<std::vector<FormField>> formFields;
    std::optional<double> cancelAt;
    double progressSeen = 0;  // the furthest fraction shown

private:
    struct Progress : ProgressView {
        explicit Progress(FakeDialogs &d) : d(d) {}
        void Show(int64_t done, int64_t total) override
        {
            if (total > 0)
                d.progressSeen = std::max(d.progressSeen, static_cast<double>(done) / static_cast<double>(total));
        }
        bool CancelPressed() override { return d.cancelAt && d.progressSeen >= *d.cancelAt; }
        FakeDialogs &d;
    };

    template <typename T>
    static T Next(std::deque<T> &queue, T none)
    {
        if (queue.empty())
            return none;
        T answer = queue.front();
        queue.pop_front();
        return answer;
    }
};

}  // namespace tavrin::test
