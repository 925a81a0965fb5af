// File > Export CSV from the program, its save question's second filter: the record as survey lines
// (rtl_power's layout, whose fields survey_csv_test pins), the trace at zero span left out with a
// note; a record of nothing but zero span writes no file.
#include "record_panel_fixture.h"

#include <algorithm>

using namespace tavrin;
using namespace tavrin::test;

namespace {

TEST_F(RecordPanelTest, TheSurveyFilterWritesOneLinePerTraceAndLeavesZeroSpanOut)
{
    auto exportSurvey = [&](const std::string &path) {
        dialogs.files = {path};
        dialogs.filterChoices = {1};
        rec().ExportCsv();
        Finish();
    };
    LoadFile({Made(150.5), Made(150.5, "0HZ/DIV"), Made(433.92, "10MHZ/DIV", -20)});
    const std::string path = home.Path() + "/survey.csv";
    exportSurvey(path);
    EXPECT_EQ(dialogs.filters.back(), "CSV Files (*.csv);;Survey CSV, rtl_power (*.csv)");
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u);
    // 150.5 MHz - 251 points of 40 kHz, 500 points on; the levels 0 - 523 x 0.078125 dBm.
    EXPECT_EQ(lines[0].rfind("2025-01-01, 12:00:00, 140460000, 160460000, 40000.00, 1, -40.859375, -40.859375, ", 0), 0u)
        << lines[0].substr(0, 100);
    EXPECT_EQ(lines[1].rfind("2025-01-01, 12:00:00, 383720000, 483720000, 200000.00, 1, -60.859375, ", 0), 0u);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "1 of the 3 traces was taken at zero span, without a frequency axis, and left out of the survey CSV.");

    LoadFile({Made(150.5, "0HZ/DIV")});
    exportSurvey(home.Path() + "/none.csv");
    EXPECT_FALSE(std::filesystem::exists(home.Path() + "/none.csv"));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text.rfind("The survey CSV was not written: the trace was taken at zero span", 0), 0u);
}

}  // namespace
