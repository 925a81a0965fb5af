// One client's lines, operations and bounds: *OPC?, *WAI and *OPC with operations that end later,
// ABORt, replies that come later, lines too long or left unfinished, the error queue's overflow,
// and replies of a long message (operations that end after the client went away: the server's test).
#include "client_harness.h"

using namespace tavrin::remote;
using tavrin::test::ClientHarness;

namespace {

TEST(ScpiClient, OpcQueryAnswersOnceEveryOperationEnded)
{
    ClientHarness h;
    h.target.hold = true;
    EXPECT_EQ(h.Ask("FREQ:CENT 100MHz;SPAN 1MHz;:INIT;*OPC?"), "");
    EXPECT_EQ(h.target.Held(), 3u);
    // Lines behind the wait wait too.
    EXPECT_EQ(h.Ask("FREQ:CENT?"), "");
    ASSERT_TRUE(h.target.FinishOne());
    ASSERT_TRUE(h.target.FinishOne({kExecutionError, "the analyzer still reports 10MHZ/DIV"}));
    h.RunAll();
    EXPECT_EQ(h.output, "");
    const int requests = h.workRequests;
    ASSERT_TRUE(h.target.FinishOne());
    EXPECT_EQ(h.workRequests, requests + 1);
    h.RunAll();
    EXPECT_EQ(h.output, "1\n100000000\n");
    EXPECT_EQ(h.Errors(), (std::vector<int>{-200}));
}

TEST(ScpiClient, WaitHoldsTheRestOfTheMessageAndItsReplies)
{
    ClientHarness h;
    h.target.hold = true;
    EXPECT_EQ(h.Ask("FREQ:CENT?;:INIT;*WAI;:FREQ:SPAN 0;SPAN?"), "");
    EXPECT_EQ(h.target.calls, (std::vector<std::string>{"TakeTrace"}));
    h.target.FinishAll();
    h.RunAll();
    EXPECT_EQ(h.target.calls, (std::vector<std::string>{"TakeTrace", "SetSpan 0HZ/DIV"}));
    // The span's own operation is still held: its query still answers what the panel shows.
    EXPECT_EQ(h.output, "80000000;0\n");
}

TEST(ScpiClient, OpcSetsItsBitWhenTheOperationsEnd)
{
    ClientHarness h;
    h.target.hold = true;
    EXPECT_EQ(h.Ask("INIT;*OPC;*ESR?"), "0\n");
    h.target.FinishAll();
    EXPECT_EQ(h.Ask("*ESR?"), "1\n");
    // *CLS forgets an *OPC still waiting.
    EXPECT_EQ(h.Ask("INIT;*OPC;*CLS"), "");
    h.target.FinishAll();
    EXPECT_EQ(h.Ask("*ESR?"), "0\n");
}

TEST(ScpiClient, AbortEndsTheWaitForTraces)
{
    ClientHarness h;
    h.target.hold = true;
    h.Ask("INIT");
    EXPECT_EQ(h.Ask("ABOR;*OPC?"), "1\n");
    // The trace that comes after all is not counted again.
    h.target.FinishOne({kExecutionError, "late"});
    EXPECT_EQ(h.Errors(), std::vector<int>{});
    // Settings are not traces: ABORt leaves them to end.
    h.Ask("FREQ:CENT 1MHz;:ABOR;*OPC?");
    EXPECT_EQ(h.output, "");
    h.target.FinishAll();
    h.RunAll();
    EXPECT_EQ(h.output, "1\n");
}

TEST(ScpiClient, ALaterReplyKeepsItsPlaceInTheMessage)
{
    ClientHarness h;
    h.target.hold = true;
    EXPECT_EQ(h.Ask("FREQ:CENT?;*IDN?;:FREQ:CENT?"), "");
    h.target.FinishOne();
    h.RunAll();
    EXPECT_EQ(h.output, "80000000;Tavrin,Spectrum Analyzer,12345,SW2.07 FPGA1.4;80000000\n");
}

TEST(ScpiClient, LinesArriveInAnyPiecesWithCrLfOrLf)
{
    ClientHarness h;
    for (const char *piece : {"*ID", "N?\r", "\n*OPC", "?;*TST?\n", "FREQ:CENT?\n\n"})
        h.client->Feed(piece);
    h.RunAll();
    EXPECT_EQ(h.output, "Tavrin,Spectrum Analyzer,12345,SW2.07 FPGA1.4\n1;0\n80000000\n");
}

TEST(ScpiClient, ALineOverTheBoundIsThrownAwayUpToItsNewline)
{
    ClientHarness h;
    const std::string huge(ScpiClient::kMaxLine + 10, 'A');
    // In pieces, as a socket brings it, then the line after it.
    for (size_t at = 0; at < huge.size(); at += 1000)
        h.client->Feed(huge.substr(at, 1000));
    h.client->Feed("B;*IDN?\n*TST?\n");
    h.RunAll();
    EXPECT_EQ(h.output, "0\n");
    EXPECT_EQ(h.Errors(), (std::vector<int>{-100}));
    // Just within the bound, it is read.
    EXPECT_EQ(h.Ask("*TST?;" + std::string(ScpiClient::kMaxLine - 6, ' ')), "0\n");
}

TEST(ScpiClient, AnUnfinishedLineIsThrownAwayWithTheRestOfIt)
{
    ClientHarness h;
    h.client->Feed("FREQ:CENT?;SP");
    h.RunAll();
    ASSERT_TRUE(h.client->HasPartialLine());
    h.client->AbandonPartialLine();
    EXPECT_FALSE(h.client->HasPartialLine());
    h.client->Feed("AN?\n*TST?\n");
    h.client->Feed("FREQ:CENT 1");
    h.client->AbandonPartialLine();
    h.client->Feed("00 MHz\n");
    h.RunAll();
    EXPECT_EQ(h.output, "0\n");
    EXPECT_EQ(h.target.calls, std::vector<std::string>{});
    EXPECT_EQ(h.Errors(), (std::vector<int>{-420, -100}));
}

TEST(ScpiClient, TheErrorQueueKeepsItsLastPlaceForTheOverflow)
{
    ClientHarness h;
    for (size_t i = 0; i < ErrorQueue::kCapacity + 5; ++i)
        h.Ask("BOGUS");
    std::vector<int> expected(ErrorQueue::kCapacity - 1, -113);
    expected.push_back(-350);
    EXPECT_EQ(h.Errors(), expected);
    EXPECT_EQ(h.Ask("SYST:ERR?"), "0,\"No error\"\n");
}

TEST(ScpiClient, ErrorsCarryTheirTextAndWhatWentWrong)
{
    ClientHarness h;
    h.Ask("FREQ:CENT 2 GHz");
    EXPECT_EQ(h.Ask("SYST:ERR?"), "-222,\"Data out of range;centre frequency 2 GHZ is outside 0..1.15 GHZ\"\n");
    h.Ask("CALC:LIM:NAME \"a\"\"b\"");
    EXPECT_EQ(h.Ask("SYST:ERR?"), "-200,\"Execution error;no limit file a\"\"b.lim\"\n");
}

TEST(ScpiClient, ALongMessageHandsOnItsRepliesAndStopsWhenCongested)
{
    ClientHarness h;
    h.target.SetLiveTrace(10);
    std::string line = "TRAC?";
    for (int i = 1; i < 200; ++i)
        line += ";TRAC?";
    h.client->Feed(line + "\n");
    h.congestAfter = 100 * 1024;
    h.RunAll();
    EXPECT_GE(h.output.size(), 100u * 1024);
    EXPECT_LT(h.output.size(), 200u * 1024);
    h.congestAfter = SIZE_MAX;
    ASSERT_FALSE(h.client->Run(std::chrono::seconds(60)));
    // Handed on in pieces as it grew; all of it, one message with one newline.
    EXPECT_GT(h.sends, 10);
    EXPECT_EQ(std::count(h.output.begin(), h.output.end(), '\n'), 1);
    EXPECT_EQ(std::count(h.output.begin(), h.output.end(), ';'), 199);
    // A client that is gone runs nothing more.
    h.refuse = true;
    h.client->Feed(line + "\n*IDN?\n");
    h.RunAll();
    EXPECT_EQ(h.target.calls, std::vector<std::string>{});
}

TEST(ScpiClient, CompleteLinesWaitingAreBounded)
{
    ClientHarness h;
    h.target.hold = true;
    h.Ask("INIT;*WAI");
    int lines = 0;
    for (; lines < 10000 && h.client->WantsInput(); ++lines)
        h.client->Feed(std::string(1000, ' ') + "*TST?\n");
    EXPECT_FALSE(h.client->WantsInput());
    EXPECT_LT(lines, 300);
    h.target.FinishAll();
    h.RunAll();
    EXPECT_TRUE(h.client->WantsInput());
    EXPECT_EQ(h.output.size(), 2u * lines);
    // Empty lines take their room too.
    h.Ask("INIT;*WAI");
    for (int i = 0; i < 100000 && h.client->WantsInput(); ++i)
        h.client->Feed("\n");
    EXPECT_FALSE(h.client->WantsInput());
}

}  // namespace
