// The tracking generator's group: entries and the commands each action sends, read back from
// the simulator's log.
#include "support/panel_fixture.h"
#include "tg/tg_group.h"

#include <QCoreApplication>
#include <QTimer>

using namespace tavrin;
using namespace tavrin::test;

namespace {

TEST(TGEntry, ClampedThenRoundedHalvesToEven)
{
    struct Case { const char *typed, *level, *offset; };
    const Case cases[] = {{"5", "0", "5"},   {"-75", "-59", "-75"}, {"-12.5", "-12", "-12"},  {"-13.5", "-14", "-14"},
                          {"abc", "0", "0"}, {"150", "0", "99"},    {"-100.4", "-59", "-99"}, {"20.6", "0", "21"}};
    for (const auto &c : cases) {
        EXPECT_EQ(NormalizeTGText(c.typed, -59, 0), c.level) << c.typed;
        EXPECT_EQ(NormalizeTGText(c.typed, -99, 99), c.offset) << c.typed;
    }
}

TEST_F(PanelTest, EachTrackingGeneratorActionSendsItsCommandsInOrder)
{
    Load();
    auto sent = [&] {
        RunUntil([&] { return !session->Line().JobsPending(); }, 5s);
        return Sent();
    };
    Click("cmdTGMode");
    EXPECT_EQ(sent(), Commands{"GEN:DISP"});
    EXPECT_EQ(Find("cmdTGMode")->text(), "SA  Mode");
    EXPECT_TRUE(Find("cmdTGON")->isEnabled());
    EXPECT_FALSE(Find<QLineEdit>("txtCenterFreq")->isEnabled());
    EXPECT_FALSE(Find<Spinner>("updSpan")->isEnabled());

    Enter("txtTGLevel", "-12.5");
    EXPECT_EQ(sent(), (Commands{"GEN:DISP", "GEN:LEV -12", "GEN:OFF +00"})) << "output off: no output-on command";
    Click("cmdNormal");
    EXPECT_EQ(sent(), Commands{}) << "Normalize does nothing while the output is off";
    Click("cmdTGON");
    EXPECT_EQ(Find("cmdTGON")->text(), "OFF");
    EXPECT_EQ(sent(), (Commands{"GEN:DISP", "GEN:MDE ON", "GEN:LEV -12", "GEN:OFF +00"}));
    Click("cmdNormal");
    EXPECT_EQ(sent(), Commands{"GEN:NRM"});
    Find<Spinner>("updTGOffset")->ClickUp();
    EXPECT_EQ(sent(), (Commands{"GEN:DISP", "GEN:MDE ON", "GEN:LEV -12", "GEN:OFF +01"}));
    // A level typed without Enter goes out as its normalised value, never as -5 for +5.
    Find<QLineEdit>("txtTGLevel")->setText("5");
    emit Find<Spinner>("updTGLevel")->releasedOffArrow();  // released beside the arrow
    EXPECT_EQ(sent(), (Commands{"GEN:DISP", "GEN:MDE ON", "GEN:LEV -00", "GEN:OFF +01"}));

    Click("cmdTGMode");  // leaving with the output on: off first
    EXPECT_EQ(sent(), (Commands{"GEN:MDE OFF", "GEN:EXIT"}));
    EXPECT_EQ(Find("cmdTGON")->text(), "ON");
    EXPECT_EQ(Find("cmdTGMode")->text(), "TG Mode");
    EXPECT_FALSE(Find("cmdNormal")->isEnabled());
    EXPECT_TRUE(Find<Spinner>("updRBW")->isEnabled()) << "enabled whatever the span until the span moves";

    // Clicks while the commands before them are still on the line go out after them, whole.
    Click("cmdTGMode");
    Click("cmdTGON");
    Click("cmdTGON");
    EXPECT_EQ(sent(), (Commands{"GEN:DISP", "GEN:DISP", "GEN:MDE ON", "GEN:LEV -00", "GEN:OFF +01", "GEN:MDE OFF"}));
    EXPECT_FALSE(session->Generator().Output());
}

}  // namespace
