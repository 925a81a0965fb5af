// Every message box and file, folder or print dialog of the program goes through this one
// interface, so that tests can answer it and read what was said.
#pragma once

#include <string>

namespace tavrin {

class UserDialogs {
public:
    virtual ~UserDialogs() = default;
    // A message box with an OK button only.
    virtual void ShowMessage(const std::string &title, const std::string &text) = 0;
};

}  // namespace tavrin
