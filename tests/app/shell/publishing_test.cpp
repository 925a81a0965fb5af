// Publishing from the program: the panel on the fake analyzer in virtual time, its session's
// traces published to a real mosquitto started by the test on a free loopback port. Every topic
// of an acquisition with a limit line, set up through the form; the broker gone and back while the
// acquisition and the recording go on.
#include "mqtt/broker.h"
#include "record/record_file.h"
#include "settings/program_settings.h"
#include "shell/publish_form.h"
#include "shell/publishing.h"
#include "support/panel_fixture.h"

#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <algorithm>
#include <fstream>
#include <set>
#include <thread>

namespace tavrin::test {
namespace {

using Answers = std::vector<std::string>;
constexpr char kQos1[] = "1: at least once, kept while the broker is away";

std::vector<std::string> Payloads(const std::vector<Received> &of)
{
    std::vector<std::string> payloads;
    for (const Received &r : of)
        payloads.push_back(r.payload);
    return payloads;
}

class PublishingTest : public PanelTest {
protected:
    // A broker that keeps a subscriber's session across its restart.
    static Broker::Options Kept()
    {
        Broker::Options o;
        o.persistent = true;
        return o;
    }
    void SetUp() override
    {
        std::filesystem::create_directories(brokerFolder);
        std::string error;
        ASSERT_TRUE(broker.Start(Kept(), error)) << error;
        // An upper line at -40 dBm from 0 to 200 MHz: 511 steps touch it (pass), 600 are over it.
        // Every other trace passes flat on it; the others are under it but for point 300 (fail).
        std::filesystem::create_directories(folder + "/Working");
        std::ofstream(folder + "/Working/mask.lim", std::ios::binary)
            << std::string("\0\0\0\0\0\0\0\0\0\0\0\0\0\0\x44\xC0\0\0\0\0\0\0\x69\x40\0\0\0\0\0\0\x44\xC0", 32);
        fake.level = [](int n, uint64_t k, const AnalyzerSettings &) {
            return static_cast<int16_t>(k % 2 == 0 ? 511 : n == 300 ? 600 : 400);
        };
        Load();
        publishing = std::make_unique<Publishing>(*session, clock);
        AddPublishing(menu, bar, *publishing, dialogs,
                      [this]() -> PublishSettings & { return panel->ProgramSettingsRecord().publish; });
    }
    std::string LabelText() { return Control<QLabel>(bar, "lblPublishing")->text().toStdString(); }
    void Ask(const std::vector<Answers> &forms)
    {
        dialogs.forms.assign(forms.begin(), forms.end());
        for (QAction *action : menu.actions())
            if (action->objectName() == "mnuPublish")
                action->trigger();
        Settle();
    }
    // Virtual time for the analyzer and the session, real time for the broker and the publisher's
    // thread, until done holds; at most limit of real time.
    bool Until(const std::function<bool()> &done, std::chrono::seconds limit = 20s)
    {
        for (const auto end = std::chrono::steady_clock::now() + limit;; std::this_thread::sleep_for(5ms)) {
            clock.Advance(20ms);
            Settle();
            if (done())
                return true;
            if (std::chrono::steady_clock::now() > end)
                return false;
        }
    }

    std::string brokerFolder = home.Path() + "/broker";
    Broker broker{brokerFolder};
    QMenu menu;
    QStatusBar bar;
    std::unique_ptr<Publishing> publishing;  // goes first: offline said while the broker is there
};

// The form refuses a URL that is no broker's and comes again as it was left; accepted, publishing
// waits for the analyzer's serial number. An acquisition with a limit line then gives every topic:
// the trace with the serial number and numbers without a gap, its peak, the line's verdict as it
// changes, and the status as the line goes; the same settings again change nothing, off
// says offline. The settings are kept.
TEST_F(PublishingTest, TheFormStartsPublishingEveryTopicOfTheAcquisition)
{
    Find<QCheckBox>("chkLim0")->click();
    auto *limit = Find<QComboBox>("cboLim0");
    limit->setCurrentIndex(1);
    emit limit->activated(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return limit->isEnabled(); }, 5000));
    Subscriber sub(broker.Port(), "site/#");
    ASSERT_TRUE(sub.Connected());
    const Answers bad = {"On", "http://127.0.0.1", "site", kQos1, "", "", "", "0"};
    Answers good = bad;
    good[1] = broker.Url();
    Ask({bad, good});
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.rfind("The broker's URL starts with mqtt:// or mqtts://", 0), 0u);
    ASSERT_EQ(dialogs.formFields.size(), 2u);
    EXPECT_EQ(dialogs.formFields[0][2].text.rfind("tavrin/", 0), 0u) << "the default prefix offered";
    EXPECT_EQ(dialogs.formFields[1][1].text, "http://127.0.0.1") << "shown again as it was left";
    EXPECT_EQ(LabelText(), "Publishing to " + broker.Url() + " once the analyzer has answered Start");

    StartAcquiring();
    ASSERT_TRUE(Until([&] { return sub.Of("trace").size() >= 4 && sub.Of("limit").size() >= 2; }));
    EXPECT_EQ(LabelText(), "Publishing to " + broker.Url() + " as site/12345/...");
    const std::vector<Received> traces = sub.Of("trace"), peaks = sub.Of("peak"), limits = sub.Of("limit");
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(traces[i].topic, "site/12345/trace");
        EXPECT_EQ(Seq(traces[i].payload), static_cast<long>(i + 1));
        EXPECT_EQ(traces[i].payload.rfind("{\"serial\":\"12345\",\"seq\":", 0), 0u) << traces[i].payload;
    }
    // Point 300 lies at 80 MHz + 49 x 0.2 MHz; 600 steps are -33.046875 dBm, 6.953125 dB over the line.
    ASSERT_GE(peaks.size(), 2u);
    EXPECT_EQ(peaks[0].topic, "site/12345/peak");
    const std::string twoPeaks = peaks[0].payload + peaks[1].payload;
    EXPECT_NE(twoPeaks.find("\"freq_mhz\":89.8,\"level_dbm\":-33.046875}"), std::string::npos) << twoPeaks;
    EXPECT_EQ(limits[0].topic, "site/12345/limit");
    const std::string twoLimits = limits[0].payload + limits[1].payload;
    EXPECT_NE(twoLimits.find("\"line\":1,\"name\":\"mask\",\"kind\":\"upper\",\"verdict\":\"FAIL\",\"reason\":\"\","
                             "\"margin_db\":-6.953125,\"freq_mhz\":89.8,\"failed\":"),
              std::string::npos)
        << twoLimits;
    EXPECT_NE(twoLimits.find("\"verdict\":\"PASS\""), std::string::npos) << twoLimits;
    ASSERT_TRUE(Until([&] { return !sub.Of("status").empty() && sub.Of("status").back().payload == "acquiring"; }));

    Ask({good});  // the same settings again: no restart, which would say offline
    Click("cmdStart");  // Stop
    ASSERT_TRUE(Until([&] { return sub.Of("status").back().payload == "online"; }));  // retained: mqtt_test
    Answers off = good;
    off[0] = "Off";
    Ask({off});
    ASSERT_TRUE(Until([&] { return sub.Of("status").back().payload == "offline"; }));
    const std::vector<std::string> statuses = Payloads(sub.Of("status"));
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "offline"), 1);
    EXPECT_FALSE(publishing->On());
    EXPECT_TRUE(Control<QLabel>(bar, "lblPublishing")->isHidden());
    EXPECT_EQ(Control<QLabel>(bar, "lblPublishing")->accessibleName(), "Publishing");
    panel->Quit();
    const PublishSettings kept{false, broker.Url(), "site", 1, "", "", "", 0};
    EXPECT_EQ(LoadProgramSettings(folder + "/TavrinRemote.ini").publish, kept);
}

// The broker stopped mid-acquisition: the acquisition and the recording go on, the status bar says
// the broker was lost, once; when it is back the label says so and the traces taken meanwhile reach
// a subscriber of a kept session (QoS 1) without a gap.
TEST_F(PublishingTest, ABrokerThatGoesAwayCostsTheAcquisitionNothing)
{
    std::vector<std::string> told;
    QObject::connect(publishing.get(), &Publishing::textChanged,
                     [&](const QString &text) { told.push_back(text.toStdString()); });
    ASSERT_EQ(publishing->Apply({true, broker.Url(), "site", 1, "", "", "", 0}), "");
    Subscriber kept(broker.Port(), "site/+/trace", "kept");
    const std::string record = home.Path() + "/r.spf";
    StartAcquiring();
    session->Record().StartContinuous(record, 200);
    ASSERT_TRUE(Until([&] { return kept.Of("trace").size() >= 3; }));

    broker.Stop();
    ASSERT_TRUE(Until([&] { return LabelText().rfind("Publishing: lost " + broker.Url(), 0) == 0; })) << LabelText();
    EXPECT_NE(LabelText().find("the newest traces kept for it"), std::string::npos) << LabelText();
    const uint64_t seqAtLoss = session->Live()->seq;
    const int recordedAtLoss = session->Record().FileCount();
    ASSERT_TRUE(Until([&] { return session->Live()->seq >= seqAtLoss + 20; }));
    EXPECT_GT(session->Record().FileCount(), recordedAtLoss + 10);

    std::string error;
    ASSERT_TRUE(broker.Start(Kept(), error)) << error;
    const uint64_t seqAtReturn = session->Live()->seq;
    ASSERT_TRUE(Until([&] { return LabelText().rfind("Publishing to", 0) == 0; }, 40s)) << LabelText();
    ASSERT_TRUE(Until([&] {
        const std::vector<Received> got = kept.Of("trace");
        return !got.empty() && Seq(got.back().payload) > static_cast<long>(seqAtReturn);
    }));
    std::set<long> seqs;
    for (const std::string &payload : Payloads(kept.Of("trace")))
        seqs.insert(Seq(payload));
    EXPECT_EQ(static_cast<long>(seqs.size()), *seqs.rbegin() - *seqs.begin() + 1) << "no gap";
    EXPECT_EQ(*seqs.begin(), 1);
    EXPECT_EQ(std::count_if(told.begin(), told.end(), [](const std::string &t) { return t.rfind("Publishing: lost", 0) == 0; }), 1);
    EXPECT_TRUE(session->Line().Running());
}

}  // namespace
}  // namespace tavrin::test
