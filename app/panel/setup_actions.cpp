#include "panel/setup_actions.h"

#include "common/dialogs.h"
#include "session/session.h"
#include "session/setup_apply.h"
#include "settings/setup_store.h"

#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <set>

namespace tavrin {

namespace {

constexpr char kTitle[] = "Setups";

std::string Quoted(const std::string &name) { return "\"" + name + "\""; }

// The fields the setup does not have, a section by its name when it has none of its fields.
std::string MissingText(const std::vector<SetupProblem> &problems)
{
    std::set<std::string> missing;
    for (const SetupProblem &p : problems)
        if (p.why == "missing")
            missing.insert(p.field);
    std::string text;
    const std::vector<std::string> all = SetupFields();
    for (size_t i = 0, next = 0; i < all.size(); i = next) {
        const std::string section = all[i].substr(0, all[i].find('/') + 1);
        std::vector<std::string> absent;
        for (next = i; next < all.size() && all[next].starts_with(section); ++next)
            if (missing.contains(all[next]))
                absent.push_back(all[next]);
        if (absent.size() == next - i)
            absent = {section.substr(0, section.size() - 1)};
        for (const std::string &name : absent)
            text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

// What could not be read or applied, one a line, then what the setup does not have.
std::string RecallText(const std::string &name, const std::vector<SetupProblem> &problems)
{
    std::string text;
    for (const SetupProblem &p : problems)
        if (p.why != "missing")
            text += "\n" + p.field + ": " + p.why;
    text = "The setup " + Quoted(name) + " was recalled" + (text.empty() ? "." : " except for these settings:" + text);
    if (const std::string missing = MissingText(problems); !missing.empty())
        text += "\n\nNot in the setup, and so left as they were: " + missing + ".";
    return text;
}

}  // namespace

SetupActions::SetupActions(Deps deps, QObject *parent) : QObject(parent), d_(std::move(deps)) {}

void SetupActions::Tell(const std::string &text) { d_.dialogs.ShowMessage(kTitle, text); }

void SetupActions::Save()
{
    const auto answer = d_.dialogs.AskForm("Save setup", {{"Name", last_, {}}});
    if (!answer || answer->empty())
        return;
    const std::string name = CleanSetupName(answer->front());
    if (const std::string problem = SetupNameProblem(name); !problem.empty()) {
        Tell(problem);
        return;
    }
    const std::string folder = d_.folder();
    if (SetupExists(folder, name) &&
        !d_.dialogs.AskYesNo(kTitle, "There is a setup named " + Quoted(name) + " already.\r\nReplace it?"))
        return;
    std::string error;
    if (!SaveSetup(folder, name, TakeSetup(d_.session), error)) {
        Tell("The setup " + Quoted(name) + " was not saved: " + error);
        return;
    }
    last_ = name;
}

std::optional<std::string> SetupActions::Choose(const std::string &title)
{
    const std::vector<std::string> names = ListSetups(d_.folder());
    if (names.empty()) {
        Tell("There is no setup yet. File > Setups > Save setup... keeps the panel's settings under a name.");
        return std::nullopt;
    }
    const auto last = std::find(names.begin(), names.end(), last_);
    const std::optional<size_t> chosen =
        d_.dialogs.ChooseItem(title, "Setup", names, static_cast<size_t>(last == names.end() ? 0 : last - names.begin()));
    if (!chosen || *chosen >= names.size())
        return std::nullopt;
    return names[*chosen];
}

void SetupActions::Recall()
{
    if (recalling_) {
        Tell("A setup is still being applied: wait until the analyzer has confirmed its settings.");
        return;
    }
    const std::optional<std::string> name = Choose("Recall setup");
    if (!name)
        return;
    const SetupRecall recall = RecallSetup(d_.folder(), *name);
    if (!recall.read) {
        Tell(recall.error);
        return;
    }
    last_ = *name;
    recalling_ = true;
    QPointer<SetupActions> self(this);
    ApplySetup(d_.session, recall, d_.limitFolder(), [self, name = *name](const std::vector<SetupProblem> &problems) {
        if (!self)
            return;
        self->recalling_ = false;
        if (self->d_.recalled)
            self->d_.recalled();
        // Told once the line has finished with the last confirmation, never from inside it.
        if (!problems.empty())
            QTimer::singleShot(0, self, [self, text = RecallText(name, problems)] { self->Tell(text); });
    });
}

void SetupActions::Rename()
{
    const std::optional<std::string> from = Choose("Rename setup");
    if (!from)
        return;
    const auto answer = d_.dialogs.AskForm("Rename setup " + Quoted(*from), {{"New name", *from, {}}});
    if (!answer || answer->empty())
        return;
    const std::string to = CleanSetupName(answer->front());
    std::string error;
    if (!RenameSetup(d_.folder(), *from, to, error)) {
        Tell("The setup " + Quoted(*from) + " was not renamed: " + error);
        return;
    }
    if (last_ == *from)
        last_ = to;
}

void SetupActions::Delete()
{
    const std::optional<std::string> name = Choose("Delete setup");
    if (!name || !d_.dialogs.AskYesNo(kTitle, "Delete the setup " + Quoted(*name) + "?"))
        return;
    std::string error;
    if (!DeleteSetup(d_.folder(), *name, error))
        Tell("The setup " + Quoted(*name) + " was not deleted: " + error);
}

}  // namespace tavrin
