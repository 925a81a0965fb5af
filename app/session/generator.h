// The tracking generator as the user set it: generator mode, its output, level and offset. Each
// action's commands go out together as one job, with no trace read between them.
#pragma once

#include "session/line_control.h"
#include "tg/tg_control.h"

#include <functional>
#include <string>

namespace tavrin {

class GeneratorControl {
public:
    GeneratorControl(LineControl &line, std::function<void()> changed) : line_(line), changed_(std::move(changed)) {}

    // Each action's commands out (or nothing to send).
    using Sent = std::function<void()>;

    // Start-up: analyzer mode, output off.
    void Reset();
    void ToggleMode(Sent sent = {});
    void ToggleOutput(Sent sent = {});
    // Only while the output is on.
    void Normalize(Sent sent = {});
    // An entry as typed: clamped to the range and rounded (halves to even).
    void EnterLevel(const std::string &text);
    void EnterOffset(const std::string &text);
    // In generator mode, the generator's state sent again (after an entry, a spinner's release).
    void SendSettings(Sent sent = {});

    bool Mode() const { return mode_; }
    bool Output() const { return output_; }
    int Level() const { return level_; }
    int Offset() const { return offset_; }

private:
    void Send(std::vector<GeneratorCommand> commands, Sent sent);

    LineControl &line_;
    std::function<void()> changed_;
    bool mode_ = false;
    bool output_ = false;
    int level_ = kTGDefaultLevel;
    int offset_ = 0;
};

}  // namespace tavrin
