#include "session/generator.h"

namespace tavrin {

void GeneratorControl::Send(std::vector<GeneratorCommand> commands)
{
    std::vector<JobStep> steps;
    for (const GeneratorCommand &c : commands)
        steps.push_back({JobStep::What::Generator, {}, c, {}, {}});
    line_.RunJob(std::move(steps));
}

void GeneratorControl::Reset()
{
    mode_ = false;
    output_ = false;
    changed_();
}

void GeneratorControl::ToggleMode()
{
    mode_ = !mode_;
    if (mode_) {
        Send({{GeneratorCommand::What::Start, 0}});
    } else {
        Send(LeaveTGCommands());
        output_ = false;
    }
    changed_();
}

void GeneratorControl::ToggleOutput()
{
    output_ = !output_;
    Send(output_ ? TGCommands(true, static_cast<int16_t>(level_), static_cast<int16_t>(offset_))
                 : std::vector<GeneratorCommand>{{GeneratorCommand::What::Output, 0}});
    changed_();
}

void GeneratorControl::Normalize()
{
    if (output_)
        Send({{GeneratorCommand::What::Normalize, 0}});
}

void GeneratorControl::EnterLevel(const std::string &text)
{
    level_ = std::stoi(NormalizeTGText(text, kTGLevelLowest, kTGLevelHighest));
    changed_();
}

void GeneratorControl::EnterOffset(const std::string &text)
{
    offset_ = std::stoi(NormalizeTGText(text, kTGOffsetLowest, kTGOffsetHighest));
    changed_();
}

void GeneratorControl::SendSettings()
{
    if (mode_)
        Send(TGCommands(output_, static_cast<int16_t>(level_), static_cast<int16_t>(offset_)));
}

}  // namespace tavrin
