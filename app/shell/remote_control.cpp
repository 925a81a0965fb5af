#include "shell/remote_control.h"

#include "common/dialogs.h"
#include "remote/scpi_server.h"
#include "remote/session_target.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace tavrin {

namespace {

constexpr char kTitle[] = "Remote control";
const std::vector<std::string> kSwitch = {"Off", "On"};

// A port alone is a port on this computer's loopback address.
QString ListenText(const std::string &typed)
{
    const QString text = QString::fromStdString(typed).trimmed();
    bool number = false;
    text.toUInt(&number);
    return number ? "127.0.0.1:" + text : text;
}

// The address and the list as the server takes them; the reason, for the user, when one cannot be read.
std::optional<remote::ServerConfig> ReadConfig(const RemoteControlSettings &s, std::string &why)
{
    remote::ServerConfig config;
    QString error;
    const std::optional<remote::ListenAddress> listen = remote::ParseListenAddress(ListenText(s.listen), error);
    if (!listen) {
        why = "The listening address " + error.toStdString() + ".";
        return std::nullopt;
    }
    const std::optional<remote::AllowList> allow = remote::AllowList::Parse(QString::fromStdString(s.allow), error);
    if (!allow) {
        why = "The allowed clients: " + error.toStdString() + ".";
        return std::nullopt;
    }
    config.listen = *listen;
    config.allow = *allow;
    return config;
}

}  // namespace

RemoteControl::RemoteControl(Session &session, UserDialogs &dialogs, QObject *parent)
    : QObject(parent), session_(session), dialogs_(dialogs), label_(new QLabel)
{
    label_->setObjectName("lblRemote");
    label_->setAccessibleName(kTitle);
    label_->hide();
}

RemoteControl::~RemoteControl()
{
    server_.reset();  // its clients' callbacks reach the target
    target_.reset();
    delete label_;  // also when the status bar holds it: it leaves the bar
}

QLabel *RemoteControl::StatusLabel() const { return label_; }

QAction *RemoteControl::AddMenuEntry(QMenu &menu)
{
    QAction *entry = menu.addAction("&Remote control...");
    entry->setObjectName("mnuRemoteControl");
    connect(entry, &QAction::triggered, this, &RemoteControl::Ask);
    return entry;
}

bool RemoteControl::On() const { return server_ && server_->Listening(); }

bool RemoteControl::Apply(const RemoteControlSettings &settings)
{
    settings_ = settings;
    if (!settings.on) {
        server_.reset();
        target_.reset();
        ShowClients(0);
        return true;
    }
    std::string why;
    const std::optional<remote::ServerConfig> config = ReadConfig(settings, why);
    if (!config) {
        Refuse(why);
        return false;
    }
    if (!server_) {
        target_ = std::make_unique<remote::SessionTarget>(session_);
        server_ = std::make_unique<remote::ScpiServer>(*target_);
        connect(server_.get(), &remote::ScpiServer::clientsChanged, this, &RemoteControl::ShowClients);
        connect(server_.get(), &remote::ScpiServer::note, this, [this](const QString &note) {
            lastNote_ = note;
            ShowClients(server_->Clients());
        });
    }
    QString error;
    if (!server_->Listen(*config, error)) {
        Refuse(error.toStdString() + ".");
        return false;
    }
    lastNote_.clear();
    ShowClients(0);
    return true;
}

void RemoteControl::Refuse(const std::string &why)
{
    server_.reset();
    target_.reset();
    settings_.on = false;
    ShowClients(0);
    dialogs_.ShowMessage(kTitle, "Remote control stays off. " + why +
                                     " Setting -> Remote control... names another address, such as 127.0.0.1:5026.");
}

void RemoteControl::Ask()
{
    const std::optional<std::vector<std::string>> answer = dialogs_.AskForm(
        kTitle, {{"Remote control (SCPI)", kSwitch[settings_.on ? 1 : 0], kSwitch},
                 {"Listen on (address:port)", settings_.listen, {}},
                 {"Allowed clients (addresses, networks)", settings_.allow, {}}});
    if (!answer || answer->size() != 3)
        return;
    RemoteControlSettings asked{(*answer)[0] == kSwitch[1], (*answer)[1], (*answer)[2]};
    if (asked.listen.find_first_not_of(" \t") == std::string::npos)
        asked.listen = RemoteControlSettings{}.listen;
    if (asked == settings_ && (On() || !asked.on))
        return;  // nothing changed: the clients stay
    std::string why;
    if (asked.on) {
        const std::optional<remote::ServerConfig> config = ReadConfig(asked, why);
        if (config && !config->listen.address.isLoopback() && config->allow.Empty() &&
            !dialogs_.AskYesNo(kTitle, "Every computer that reaches " + ListenText(asked.listen).toStdString() +
                                           " may then control the analyzer. Switch remote control on all the same?"
                                           " (No keeps the settings as they were; Allowed clients names the"
                                           " computers that may.)"))
            return;
    }
    Apply(asked);
}

void RemoteControl::ShowClients(int count)
{
    if (!label_)
        return;
    if (!On()) {
        label_->hide();
        label_->setText("remote: off");
        return;
    }
    const QString text = QString("remote: %1 %2").arg(count).arg(count == 1 ? "client" : "clients");
    QString about = "SCPI on " + server_->Address();
    if (!lastNote_.isEmpty())
        about += "; last: " + lastNote_;
    label_->setText(text);
    label_->setToolTip(about);
    // A screen reader reads the description when the text changes.
    label_->setAccessibleDescription(text + ", " + about);
    label_->show();
}

}  // namespace tavrin
