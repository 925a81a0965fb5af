#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "measure/measure_setting.h"

namespace tavrin {
namespace {

class FakePanel : public MeasurePanel {
public:
    bool focused = false;
    std::vector<std::string> calls;

    bool CenterFreqHasFocus() const override { return focused; }
    void SetCenterFreqText(const std::string &text) override { calls.push_back("center " + text); }
    void SetRefLevelPosition(int index) override { calls.push_back("ref " + std::to_string(index)); }
    void SetSpanPosition(int index) override { calls.push_back("span " + std::to_string(index)); }
    void SetRbwPosition(int index) override { calls.push_back("rbw " + std::to_string(index)); }
};

using Calls = std::vector<std::string>;

TEST(MeasureShowSetting, CopiesTheReportInOrderWithThreeDecimals)
{
    MeasurementState state;
    FakePanel panel;
    ShowMeasureSetting({123.4567, "1MHZ/DIV", -10, "30KHZ  "}, state, panel);
    EXPECT_EQ(panel.calls, (Calls{"center 123.457", "ref 2", "span 9", "rbw 1"}));
}

TEST(MeasureShowSetting, CentreIsLeftAloneWhenZeroEqualOrBeingTyped)
{
    MeasurementState state;  // "80.000"
    const ReportedSettings cases[] = {{0.0, "", 0, ""}, {80.0, "", 0, ""}};
    for (const ReportedSettings &reported : cases) {
        FakePanel panel;
        ShowMeasureSetting(reported, state, panel);
        // An unmapped code arrives as level 0 and an empty span caption: rows 3 and 0.
        EXPECT_EQ(panel.calls, (Calls{"ref 3", "span 0", "rbw 0"}));
    }

    FakePanel typing;
    typing.focused = true;
    ShowMeasureSetting({150.5, "2KHZ/DIV", 20, "3KHZ"}, state, typing);
    EXPECT_EQ(typing.calls, (Calls{"ref 5", "span 1", "rbw 0"}));
}

}  // namespace
}  // namespace tavrin
