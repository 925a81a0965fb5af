// Answers the program's dialogs in tests and keeps what they said.
#pragma once

#include "common/dialogs.h"

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
    std::vector<ShownMessage> messages;
};

}  // namespace tavrin::test
