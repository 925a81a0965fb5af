#include "panel/setup_actions.h"

#include "common/dialogs.h"
#include "session/session.h"
#include "session/setup_apply.h"
#include "settings/setup_store.h"

#include <QPointer>
#include <algorithm>

namespace tavrin {

namespace {

constexpr char kTitle[] = "Setups";

std::string Quoted(const std::string &name) { return "\"" + name + "\""; }

// The fields that could not be read or applied, one a line.
std::string NotAppliedText(const std::vector<SetupProblem> &problems)
{
    std::string text;
    for (const SetupProblem &p : problems)
        text += "\n" + p.field + ": " + (p.why == "missing" ? "not in the setup; left as it was" : p.why);
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
        if (!problems.empty())
            self->Tell("The setup " + Quoted(name) + " was recalled except for these settings:" + NotAppliedText(problems));
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
