// File > Export CSV from the program, its save question's second filter: the record as survey lines
// (rtl_power's layout) worked out by hand, a change of settings mid-record on a line of its own,
// the trace at zero span left out with a note; a record of nothing but zero span writes no file.
#include "record/record_file.h"
#include "record/record_group.h"
#include "support/panel_fixture.h"

#include <algorithm>
#include <fstream>

using namespace tavrin;
using namespace tavrin::test;

namespace {

class SurveyExportTest : public PanelTest {
protected:
    void SetUp() override { Load(); }
    static TraceRecord Entry(double mhz, const char *span, int16_t ref)
    {
        TraceRecord r{45658.5, mhz, FixedText<12>(span), ref, FixedText<8>("30KHZ")};  // 1 Jan 2025 12:00
        r.points.fill(500);  // 523 steps of 0.078125 dB under the reference
        return r;
    }
    void Finish()
    {
        Settle();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !session->Record().Busy(); }, 20000));
    }
    void LoadRecord(const RecordTable &entries)
    {
        const std::string path = home.Path() + "/made.spf";
        std::ofstream out(path, std::ios::binary);
        for (const TraceRecord &entry : entries)
            out.write(reinterpret_cast<const char *>(EncodeRecord(entry).data()), kRecordBytes);
        out.close();
        dialogs.files = {path};
        Click("cmdLoadRecord");
        Finish();
        ASSERT_EQ(session->Record().Table().size(), entries.size());
    }
    void ExportSurvey(const std::string &path)
    {
        dialogs.files = {path};
        dialogs.filterChoices = {1};
        panel->Record().ExportCsv();
        Finish();
    }
};

TEST_F(SurveyExportTest, TheSurveyFilterWritesOneLinePerTraceAndLeavesZeroSpanOut)
{
    LoadRecord({Entry(150.5, "2MHZ/DIV", 0), Entry(150.5, "0HZ/DIV", 0), Entry(433.92, "10MHZ/DIV", -20)});
    const std::string path = home.Path() + "/survey.csv";
    ExportSurvey(path);
    EXPECT_EQ(dialogs.filters.back(), "CSV Files (*.csv);;Survey CSV, rtl_power (*.csv)");
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 2u);
    // 150.5 MHz - 251 points of 40 kHz, 500 points on; the levels 0 - 523 x 0.078125 dBm.
    EXPECT_EQ(lines[0].rfind("2025-01-01, 12:00:00, 140460000, 160460000, 40000.00, 1, -40.859375, -40.859375, ", 0), 0u)
        << lines[0].substr(0, 100);
    // 433.92 MHz - 251 points of 200 kHz; -20 - 40.859375 dBm.
    EXPECT_EQ(lines[1].rfind("2025-01-01, 12:00:00, 383720000, 483720000, 200000.00, 1, -60.859375, -60.859375, ", 0), 0u)
        << lines[1].substr(0, 100);
    for (const std::string &line : lines)
        EXPECT_EQ(std::count(line.begin(), line.end(), ','), 505) << "six fields and 500 levels, no CR";
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "1 of the 3 traces was taken at zero span, without a frequency axis, and left out of the survey CSV.");

    LoadRecord({Entry(150.5, "0HZ/DIV", 0)});
    ExportSurvey(home.Path() + "/none.csv");
    EXPECT_FALSE(std::filesystem::exists(home.Path() + "/none.csv"));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[1].text.rfind("The survey CSV was not written: the trace was taken at zero span", 0), 0u);
}

}  // namespace
