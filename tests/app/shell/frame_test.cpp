// The main frame's windows as the program arranges them: filling the frame, following its size
// unless the user placed them, the split under the display (a placed window kept: shell_test).
#include "layout/frame_layout.h"
#include "settings/program_settings.h"
#include "shell/frame_arranger.h"
#include "shell/program.h"
#include "shell/waterfall_window.h"
#include "support/panel_fixture.h"
#include "waterfall/waterfall_view.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace tavrin;
using namespace tavrin::test;

namespace {

class FrameTest : public PanelTest {
protected:
    void StartProgram(Program &program)
    {
        program.Start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return program.Panel().Activated(); }, 2000));
    }
    // The frame at a size of its own, its windows arranged for it.
    void Resize(Program &program, QSize size)
    {
        MainFrame &frame = program.Frame();
        frame.showNormal();
        frame.resize(size);
        // The frame's layout places the area when the frame takes its size.
        ASSERT_TRUE(QTest::qWaitFor([&] { return frame.size() == size; }, 2000));
    }
    static QSize Client(Program &program) { return program.Frame().Area().viewport()->size(); }
    static int Right(Program &program) { return program.Frame().PanelWindow()->geometry().right() + 1; }
    static void Trigger(Program &program, const char *action) { program.Frame().findChild<QAction *>(action)->trigger(); }
};

// The display fills the height and what the panel leaves, the panel at the right edge; the
// waterfall opens under the display, and moving the line between them moves both. A panel the
// user put elsewhere stays there when the frame changes size while the others follow; the View
// menu puts it back, and brings back a display that was closed.
TEST_F(FrameTest, WindowsFillTheFrameAndOnlyThoseTheUserPlacedStayPut)
{
    NoInstrument();
    Program program(dialogs, [](int) { return false; }, [] {});
    StartProgram(program);
    Resize(program, {1400, 900});
    QMdiSubWindow *display = program.Frame().DisplaySubWindow(), *panel = program.Frame().PanelWindow();
    const int height = Client(program).height();
    EXPECT_EQ(display->geometry(), QRect(0, 0, panel->x(), height));  // the shares: frame_layout_test

    Trigger(program, "mnuWaterfall");
    QMdiSubWindow *waterfall = program.Waterfall().SubWindow();
    ASSERT_TRUE(waterfall);
    EXPECT_EQ(waterfall->geometry(), QRect(0, display->height(), display->width(), height - display->height()));
    display->resize(display->width(), display->height() - 100);  // the user drags the line up
    EXPECT_EQ(waterfall->geometry(), QRect(0, display->height(), display->width(), height - display->height()));
    const FrameLayout split = program.Frame().Arranger().Layout();
    EXPECT_FALSE(split.display || split.panel || split.waterfall) << "the frame's own moves and the split place nothing";
    EXPECT_GT(split.waterfallShare, kDefaultWaterfallShare);

    const QRect placed(200, 40, panel->width(), 500);
    panel->setGeometry(placed);
    const int width = display->width();
    Resize(program, {1200, 800});
    EXPECT_EQ(panel->geometry(), placed);
    EXPECT_EQ(display->width(), width - 200);
    EXPECT_EQ(display->height() + waterfall->height(), Client(program).height()) << "the split follows too";

    // Maximised while the frame changes size, and back: the display gets its old place back from
    // the area, and then follows the frame again.
    display->showMaximized();
    Resize(program, {1300, 850});
    display->showNormal();
    EXPECT_TRUE(QTest::qWaitFor([&] { return display->height() + waterfall->height() == Client(program).height(); }, 2000));
    EXPECT_FALSE(program.Frame().Arranger().Layout().display);

    // Closed all the same (it has no close button), the display only hides: the panel draws on
    // it, and the default arrangement shows it again.
    const QPointer<QMdiSubWindow> closed = display;
    display->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_TRUE(closed);
    EXPECT_FALSE(display->isVisible());
    Trigger(program, "mnuDefaultArrangement");
    EXPECT_TRUE(display->isVisible());
    EXPECT_EQ(Right(program), Client(program).width());
    EXPECT_EQ(panel->y(), 0);
    EXPECT_EQ(display->geometry(), QRect(0, 0, panel->x(), Client(program).height() - waterfall->height()));
    program.Panel().Quit();
    EXPECT_EQ(LoadProgramSettings(ProgramSettingsPath(LogPath())).layout, FrameLayout{})
        << "nothing placed, the split at its default";
}

// Over the waterfall the status bar reads the row's time, the column's frequency and its level;
// a click puts the active marker there.
TEST_F(FrameTest, TheWaterfallReadsUnderThePointerAndAClickPutsTheActiveMarker)
{
    fake.level = [](int n, uint64_t, const AnalyzerSettings &) { return static_cast<int16_t>(n == 301 ? 1023 : 300); };
    Load();
    MainFrame frame(dialogs);
    frame.resize(1200, 800);
    frame.show();
    WaterfallWindow waterfall(frame, *panel, dialogs, [] { return std::string(); });
    QString readout;
    QObject::connect(&waterfall, &WaterfallWindow::pointerReadout, [&](const QString &text) { readout = text; });
    waterfall.Open();
    StartAcquiring();
    Run(1s);
    WaterfallView &view = *waterfall.Window();
    const WaterfallGeometry g = view.Geometry();
    ASSERT_GE(g.columns, 499) << "a column for each point";
    // Point 301 at 10 MHz a division around 80 MHz on point 251: 90 MHz, at the reference level.
    const int column = [&] {
        for (int c = 0; c < g.columns; ++c)
            if (ColumnPoints(c, g.columns).last >= 301)
                return c;
        return -1;
    }();
    const QPointF at((g.firstColumn + column + 0.5) / g.ratio, g.header + 1);
    auto send = [&](QEvent::Type type, Qt::MouseButtons held) {
        QMouseEvent event(type, at, view.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    };
    send(QEvent::MouseMove, Qt::NoButton);
    EXPECT_TRUE(readout.contains(QRegularExpression(R"(^\d\d:\d\d:\d\d  90\.000 MHz  0\.0 dBm$)"))) << readout.toStdString();
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    Settle();
    EXPECT_EQ(Find<QLineEdit>("txtMKR", 0)->text(), "90.000");
    EXPECT_TRUE(Find<QCheckBox>("chkMKR", 0)->isChecked());  // on rows of other frequencies: waterfall_test
    waterfall.Close();
}

// A screen as high as the panel asks shows every group without scrolling; on a lower one the
// groups scroll and the buttons used all the time stay in sight.
TEST_F(FrameTest, ThePanelScrollsOnlyItsGroupsAndOnlyWhenTheFrameIsTooLow)
{
    NoInstrument();
    Program program(dialogs, [](int) { return false; }, [] {});
    StartProgram(program);
    QMdiSubWindow *panel = program.Frame().PanelWindow();
    auto *scroll = Control<QScrollArea>(program.Panel(), "panelScroll");
    const int asked = panel->sizeHint().height();
    Resize(program, {1400, 1000});
    const int menuAndStatus = program.Frame().height() - Client(program).height();
    for (const int height : {asked, asked - 150}) {
        Resize(program, {1400, height + menuAndStatus});
        Settle();  // the scroll area's posted layout
        ASSERT_EQ(panel->height(), height);
        EXPECT_EQ(scroll->verticalScrollBar()->isVisible(), height < asked) << height;
        EXPECT_FALSE(scroll->horizontalScrollBar()->isVisible()) << height;
        for (const char *name : {"cmdStart", "cmdAVG", "cmdFreeze", "cmdShutter", "cmdPrint", "cmdQuit"}) {
            const QPushButton *button = Control(program.Panel(), name);
            const QRect where(button->mapTo(panel, QPoint(0, 0)), button->size());
            EXPECT_TRUE(button->isVisible() && panel->rect().contains(where)) << name << " at " << height;
        }
    }
}

}  // namespace
