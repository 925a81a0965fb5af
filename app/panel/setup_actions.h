// The File menu's named setups: save the panel's settings under a name, recall, rename and delete
// one, each asked and answered through the program's dialogs.
#pragma once

#include <QObject>
#include <functional>
#include <optional>
#include <string>

namespace tavrin {

class Session;
class UserDialogs;

class SetupActions : public QObject {
    Q_OBJECT
public:
    struct Deps {
        Session &session;
        UserDialogs &dialogs;
        std::function<std::string()> folder;       // of the setups
        std::function<std::string()> limitFolder;  // of the limit files a setup names
        std::function<void()> recalled;            // a recall has been applied (also in part)
    };

    SetupActions(Deps deps, QObject *parent = nullptr);

    void Save();
    // Applies the chosen setup and says what could not be read or applied.
    void Recall();
    void Rename();
    void Delete();
    // A recall's analyzer settings are still on their way.
    bool Recalling() const { return recalling_; }

private:
    // One of the setups, chosen from the list; none when there is none or the user cancels.
    std::optional<std::string> Choose(const std::string &title);
    void Tell(const std::string &text);

    Deps d_;
    std::string last_;  // the setup saved or recalled last, offered first
    bool recalling_ = false;
};

}  // namespace tavrin
