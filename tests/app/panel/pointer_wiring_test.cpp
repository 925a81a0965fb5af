// The display window's pointer, wheel and keys acting on the session as the panel's own controls
// do: what reaches the analyzer, in which order, and what the panel then shows.
#include "support/panel_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

using namespace tavrin;
using namespace tavrin::test;

namespace {

class PointerTest : public PanelTest {
protected:
    // A mouse event at a place of the screen, in screen units.
    void Mouse(QEvent::Type type, double x, double y, Qt::MouseButtons held)
    {
        const QPointF at = display.ToDevice(x, y);
        QMouseEvent event(type, at, display.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(&display, &event);
    }
    void Drag(double x1, double x2, double y)
    {
        Mouse(QEvent::MouseButtonPress, x1, y, Qt::LeftButton);
        Mouse(QEvent::MouseMove, (x1 + x2) / 2, y, Qt::LeftButton);
        Mouse(QEvent::MouseMove, x2, y, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, x2, y, Qt::NoButton);
        Settle();
    }
    void Click(double x, double y)
    {
        Mouse(QEvent::MouseButtonPress, x, y, Qt::LeftButton);
        Mouse(QEvent::MouseButtonRelease, x, y, Qt::NoButton);
        Settle();
    }
    void Wheel(int notches, Qt::KeyboardModifiers modifiers)
    {
        const QPointF at = display.ToDevice(250, 500);
        QWheelEvent event(at, display.mapToGlobal(at), {}, {0, 120 * notches}, Qt::NoButton, modifiers, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(&display, &event);
        Settle();
    }
    // What went to the analyzer besides the trace requests, once every job is done.
    Commands SettingsSent()
    {
        EXPECT_TRUE(RunUntil([&] { return !session->Line().JobsPending(); }, 10s));
        Commands sent = Sent();
        std::erase(sent, "T");
        return sent;
    }
};

// At 10 MHz/div around 80 MHz a point is 0.2 MHz and the centre stands on point 251: points 151
// to 251 are 60 to 80 MHz, which 2MHZ/DIV (row 10) covers exactly. The narrower span goes out
// first, then the centre, each confirmed; the wheel with Ctrl then widens it by one row.
TEST_F(PointerTest, ADraggedBandZoomsThroughTheSessionSpanFirstAndCtrlWheelZoomsOut)
{
    Load();
    StartAcquiring();
    Drag(151, 251, 500);
    EXPECT_EQ(SettingsSent(), (Commands{"S10", "F0070000"}));
    EXPECT_EQ(Shown(), "70.000|2MHZ/DIV|0|4MHZ");
    EXPECT_EQ(fake.settings.span, "2MHZ/DIV");

    Wheel(-1, Qt::ControlModifier);
    EXPECT_EQ(SettingsSent(), (Commands{"S11"}));
    EXPECT_EQ(Shown(), "70.000|5MHZ/DIV|0|4MHZ");

    // At zero span x is no frequency: a drag changes nothing and draws no band.
    session->Settings().ChooseSpan(0);
    SettingsSent();
    Mouse(QEvent::MouseButtonPress, 100, 500, Qt::LeftButton);
    Mouse(QEvent::MouseMove, 300, 500, Qt::LeftButton);
    EXPECT_FALSE(display.Band());
    Mouse(QEvent::MouseButtonRelease, 300, 500, Qt::NoButton);
    EXPECT_EQ(SettingsSent(), Commands{});
}

// The marker touched last moves: a click over the graticule puts it on the point there and
// switches it on, the label showing on the next drawing; Right moves it one point on. A click
// above the graticule moves nothing.
TEST_F(PointerTest, AClickAndTheArrowKeysMoveTheActiveMarker)
{
    Load();
    StartAcquiring();
    Find<QCheckBox>("chkMKR", 2)->click();  // marker 3, touched and switched on
    Find<QCheckBox>("chkMKR", 2)->click();  // ... and off again
    Settle();
    ASSERT_FALSE(Find<QCheckBox>("chkMKR", 2)->isChecked());

    Click(301, 500);  // 80 + 50 x 0.2 MHz
    EXPECT_EQ(Find<QLineEdit>("txtMKR", 2)->text(), "90.000");
    EXPECT_TRUE(Find<QCheckBox>("chkMKR", 2)->isChecked());
    EXPECT_TRUE(display.Label(2)->isVisibleTo(&display));
    EXPECT_FALSE(Find<QCheckBox>("chkMKR", 0)->isChecked());

    QTest::keyClick(&display, Qt::Key_Right);
    Settle();
    EXPECT_EQ(Find<QLineEdit>("txtMKR", 2)->text(), "90.200");

    Click(301, 1100);  // the header above the graticule
    EXPECT_EQ(Find<QLineEdit>("txtMKR", 2)->text(), "90.200");
    EXPECT_EQ(SettingsSent(), Commands{}) << "markers are the program's own";
}

}  // namespace
