// The session's peak tools and named setups on the fake analyzer in virtual time: a tracking
// marker on every trace, the moves of the active marker, and a setup recalled through the panel's
// own apply-and-confirm path.
#include "app/session/session_fixture.h"

#include "limits/limit_file.h"
#include "session/setup_apply.h"

#include <algorithm>
#include <map>

using namespace tavrin;
using namespace tavrin::test;

namespace {

// The settings sent, without the trace requests between them.
Commands SettingsSent(Commands sent)
{
    std::erase(sent, "T");
    return sent;
}

// A carrier (700) that moves 20 points a trace from point 100, one (500) at point 400, on a floor
// of 100. At 80 MHz and 10MHZ/DIV point n is at 80 + (n - 251) x 0.2 MHz.
TEST_F(SessionTest, TrackPeakFollowsTheCarrierAndTheMovesWalkThePeaks)
{
    fake.level = [](int n, uint64_t k, const AnalyzerSettings &) {
        return static_cast<int16_t>(n == 100 + 20 * static_cast<int>(k) ? 700 : n == 400 ? 500 : 100);
    };
    session.Markers().SetOn(0, true);
    session.SetTracking(1, true);
    std::vector<std::string> followed;  // marker 2 as each trace left it
    TraceBus::Connection watch =
        session.Bus().Connect([&](const TracePtr &) { followed.push_back(session.Markers().Controls()[1].freqText); });
    StartAcquiring();
    ASSERT_TRUE(Until([&] { return followed.size() == 3; }, 2s));
    session.Stop();
    ASSERT_TRUE(Until([&] { return !Running(); }, 2s));
    followed.resize(3);
    EXPECT_EQ(followed, (std::vector<std::string>{"49.8000", "53.8000", "57.8000"}));
    EXPECT_TRUE(session.Markers().Controls()[1].enabled);
    ASSERT_EQ(session.Markers().Active(), 1) << "the marker whose Track was switched";

    // From the carrier (where the last trace left it): down the table, then left and right.
    const std::string carrier = session.Markers().Controls()[1].freqText;
    const std::string &text = session.Markers().Controls()[1].freqText;
    session.NextPeak();
    EXPECT_EQ(text, "109.8000") << "the lower peak at point 400";
    session.PeakLeft();
    EXPECT_EQ(text, carrier);
    session.PeakRight();
    EXPECT_EQ(text, "109.8000");
    session.PeakRight();
    EXPECT_EQ(text, "109.8000") << "none right of it";
    EXPECT_EQ(beeps, 1);
}

class SetupRecallTest : public SessionTest {
protected:
    // Applies the setup's text; the fields not read or applied, with why.
    std::vector<SetupProblem> Recall(const std::string &text)
    {
        std::optional<std::vector<SetupProblem>> result;
        ApplySetup(session, ParseSetup(text), home.Path(), [&](const std::vector<SetupProblem> &p) { result = p; });
        EXPECT_TRUE(Until([&] { return result.has_value(); }, 120s));
        return result.value_or(std::vector<SetupProblem>{});
    }
    // The problems other than fields the setup does not have.
    static std::map<std::string, std::string> Named(const std::vector<SetupProblem> &problems)
    {
        std::map<std::string, std::string> named;
        for (const SetupProblem &p : problems)
            if (p.why != "missing")
                named[p.field] = p.why;
        return named;
    }
};

// A setup with a span not in the list, a count out of range and a limit file that is gone: the rest
// is applied, the analyzer settings sent and confirmed as typing them sends them.
TEST_F(SetupRecallTest, ADamagedSetupRecallsWhatItCanAndNamesTheRest)
{
    std::string error;
    ASSERT_TRUE(WriteLimitFile(home.Path() + "/mask.lim", {{0, -30}, {1000, -30}}, error)) << error;
    StartAcquiring();
    const auto problems = Recall("[Analyzer]\nCenter=433.920\nSpan=7MHZ/DIV\nRefLevel=-20\n"
                                 "[Averaging]\nCount=300\n[Marker2]\nOn=true\nFrequency=434.5\n"
                                 "[Limit1]\nFile=mask\nKind=lower\nOn=true\n[Limit2]\nFile=gone\n"
                                 "[Measurements]\nAdjacentChannel=true\nChannelWidth=0.025\n");
    EXPECT_EQ(SettingsSent(Sent()), (Commands{"F0433920", "L1"}));
    const auto named = Named(problems);
    ASSERT_EQ(named.size(), 3u) << UnreadText(problems);
    EXPECT_TRUE(named.count("Analyzer/Span") && named.count("Averaging/Count"));  // their reasons are setup_test's
    EXPECT_EQ(named.at("Limit2/File").rfind("the limit file \"gone\" was not read: ", 0), 0u) << named.at("Limit2/File");

    const MeasurementState &state = session.Settings().State();
    EXPECT_EQ(state.centerFreqMHz + "|" + state.refLevelDbm, "433.920|-20");
    EXPECT_TRUE(Until([&] { return session.Live()->settings.centerMHz == 433.92; }, 1s)) << "taken by the analyzer";
    EXPECT_TRUE(session.Markers().Controls()[1].enabled && session.Markers().Controls()[1].freqText == "434.5");
    const LimitLine &line = session.Limits().Lines()[0];
    EXPECT_TRUE(line.selector == "mask" && line.kind == LimitKind::Lower && line.shown && line.points.size() == 2);
    EXPECT_TRUE(session.Measurements().adjacentChannel);
    EXPECT_EQ(session.Channels(), (ChannelPlan{0.025, 1.0})) << "the spacing the setup has not kept";
}

// With the acquisition stopped the settings still go out and are confirmed: an analyzer that takes
// none is named for each, one that does not answer for the first, and the rest are not sent.
TEST_F(SetupRecallTest, SettingsTheAnalyzerRefusesOrNeverHearsAreNamed)
{
    fake.deaf = true;
    auto named = Named(Recall("[Analyzer]\nCenter=100\nRefLevel=10\n"));
    EXPECT_EQ(SettingsSent(Sent()), (Commands{"F0100000", "L4"}));
    EXPECT_EQ(named["Analyzer/Center"], "the analyzer did not take it (it reported 80.000 MHz)");
    EXPECT_EQ(named["Analyzer/RefLevel"], "the analyzer did not take it (it reported 0 dBm)");
    EXPECT_FALSE(session.Settings().ConfirmAlways()) << "the panel confirms only while acquiring again";

    fake.deaf = false;
    fake.silent = true;
    named = Named(Recall("[Analyzer]\nCenter=100\nRefLevel=10\n"));
    EXPECT_EQ(SettingsSent(Sent()), (Commands{"F0100000"}));
    EXPECT_EQ(named["Analyzer/Center"], "the analyzer did not answer");
    EXPECT_EQ(named["Analyzer/RefLevel"], "not sent: the analyzer did not answer");
}

}  // namespace
