// The program's dialogs shown with Qt's standard boxes.
#pragma once

#include "common/dialogs.h"

class QWidget;

namespace tavrin {

class QtDialogs : public UserDialogs {
public:
    void SetParent(QWidget *parent) { parent_ = parent; }
    void ShowMessage(const std::string &title, const std::string &text) override;

private:
    QWidget *parent_ = nullptr;
};

}  // namespace tavrin
