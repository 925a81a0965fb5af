// Remote control of the program over the network: the SCPI server over the program's own session,
// so that a remote setting is the panel's intent and shows on the panel as typed input would.
// Off by default; switched on, off and moved from Setting -> "Remote control...", its clients
// counted in the status bar.
#pragma once

#include "settings/program_settings.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QAction;
class QLabel;
class QMenu;

namespace tavrin {

class Session;
class UserDialogs;

namespace remote {
class ScpiServer;
class SessionTarget;
}  // namespace remote

class RemoteControl : public QObject {
    Q_OBJECT
public:
    RemoteControl(Session &session, UserDialogs &dialogs, QObject *parent = nullptr);
    ~RemoteControl() override;

    // "remote: 2 clients" for the status bar, hidden while remote control is off.
    QLabel *StatusLabel() const;
    // The menu entry that opens the dialog.
    QAction *AddMenuEntry(QMenu &menu);

    // Switches it as the settings say. An address or list that cannot be read, or an address that
    // cannot be listened on, is told through the dialogs and leaves it off. Whether it is as asked.
    bool Apply(const RemoteControlSettings &settings);
    // The dialog: on or off, the listening address and the clients allowed; applied on OK.
    void Ask();

    // As applied: on only while listening.
    const RemoteControlSettings &Settings() const { return settings_; }
    bool On() const;
    remote::ScpiServer *Server() const { return server_.get(); }

private:
    void Refuse(const std::string &why);
    void ShowClients(int count);

    Session &session_;
    UserDialogs &dialogs_;
    RemoteControlSettings settings_;
    std::unique_ptr<remote::SessionTarget> target_;
    std::unique_ptr<remote::ScpiServer> server_;  // before the target it serves goes
    QPointer<QLabel> label_;
    QString lastNote_;
};

}  // namespace tavrin
