// Every command against the fake target: what it asks of the target, what it answers and which
// errors it reports, in its short and long forms, with units, MIN and MAX, and in chains.
#include "client_harness.h"

#include <cstring>
#include <functional>

using namespace tavrin::remote;
using tavrin::test::ClientHarness;
using tavrin::test::FakeTarget;

namespace {

struct Case {
    std::string line;
    std::string reply;   // without the newline
    std::string calls;   // the target's calls, joined by " | "
    std::vector<int> errors;
    std::function<void(FakeTarget &)> setup = nullptr;
};

void ZeroSpan(FakeTarget &t) { t.settings.span = "0HZ/DIV"; }
void TgMode(FakeTarget &t) { t.generator.mode = true; }

void RunCases(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        ClientHarness h;
        if (c.setup)
            c.setup(h.target);
        const std::string reply = h.Ask(c.line);
        std::string calls;
        for (const std::string &call : h.target.calls)
            calls += (calls.empty() ? "" : " | ") + call;
        EXPECT_EQ(reply, c.reply.empty() ? "" : c.reply + "\n") << c.line;
        EXPECT_EQ(calls, c.calls) << c.line;
        EXPECT_EQ(h.Errors(), c.errors) << c.line;
    }
}

TEST(ScpiCommands, MeasurementSettings)
{
    RunCases({
        {"FREQ:CENT 100 MHz", "", "SetCenter 100", {}},
        {"sense:frequency:center 2.5e8", "", "SetCenter 250", {}},
        {"FREQ:CENT 100.0004MHZ", "", "SetCenter 100", {}},
        {"FREQ:CENT 100.0005MHZ", "", "SetCenter 100.001", {}},
        {"FREQ:CENT 1.15 GHz", "", "SetCenter 1150", {}},
        {"FREQ:CENT MAX", "", "SetCenter 1150", {}},
        {"FREQ:CENT min", "", "SetCenter 0", {}},
        {"FREQ:CENT 1.2 GHz", "", "", {-222}},
        {"FREQ:CENT -1", "", "", {-222}},
        {"FREQ:CENT 10 dBm", "", "", {-131}},
        {"FREQ:CENT 10 kHzz", "", "", {-131}},
        {"FREQ:CENT ON", "", "", {-104}},
        {"FREQ:CENT \"1\"", "", "", {-104}},
        {"FREQ:CENT", "", "", {-109}},
        {"FREQ:CENT 1,2", "", "", {-108}},
        {"FREQ:CENT 100MHz", "", "", {-221}, TgMode},
        {"FREQ:CENT?", "80000000", "", {}},
        {"FREQ:CENT? MAX;CENT? MIN", "1150000000;0", "", {}},
        {"FREQ:CENT? 5", "", "", {-104}},
        {"FREQ:SPAN 15MHz", "", "SetSpan 2MHZ/DIV", {}},
        {"FREQ:SPAN 20MHz", "", "SetSpan 2MHZ/DIV", {}},
        {"FREQ:SPAN 20000001", "", "SetSpan 5MHZ/DIV", {}},
        {"FREQ:SPAN 1 Hz", "", "SetSpan 2KHZ/DIV", {}},
        {"FREQ:SPAN 0", "", "SetSpan 0HZ/DIV", {}},
        {"FREQ:SPAN MAX", "", "SetSpan 100MHZ/DIV", {}},
        {"FREQ:SPAN 1.0001GHZ", "", "", {-222}},
        {"FREQ:SPAN?", "100000000", "", {}},
        {"FREQ:STAR?;STOP?", "30000000;130000000", "", {}},
        {"FREQ:STAR?;STOP?", "80000000;80000000", "", {}, ZeroSpan},
        {"FREQ:STAR 1", "", "", {-113}},
        {"DISP:WIND:TRAC:Y:RLEV -20", "", "SetRefLevel -20", {}},
        {"display:window1:trace1:y:scale:rlevel -20 DBM", "", "SetRefLevel -20", {}},
        {"DISP:TRAC:Y:RLEV MAX", "", "SetRefLevel 20", {}},
        {"DISP:TRAC:Y:RLEV -25", "", "", {-224}},
        {"DISP:TRAC:Y:RLEV 30", "", "", {-222}},
        {"DISP:TRAC:Y:RLEV -20 MHz", "", "", {-131}},
        {"DISP:TRAC:Y:RLEV?", "0", "", {}},
        {"BAND 30kHz", "", "", {-221}},
        {"BAND 30 kHz", "", "SetRbw 30KHZ", {}, ZeroSpan},
        {"SENS:BWID:RES 31kHz", "", "SetRbw 220KHZ", {}, ZeroSpan},
        {"BAND MIN", "", "SetRbw 3KHZ", {}, ZeroSpan},
        {"BAND 5MHz", "", "", {-222}, ZeroSpan},
        {"BAND?", "3000", "", {}},
        {"BAND? MAX", "4000000", "", {}},
    });
}

TEST(ScpiCommands, AcquisitionAndAveraging)
{
    RunCases({
        {"INIT:CONT ON", "", "Start", {}},
        {"initiate:continuous 0", "", "Stop", {}},
        {"INIT:CONT 2", "", "", {-224}},
        {"INIT:CONT MAYBE", "", "", {-224}},
        {"INIT:CONT?", "0", "", {}},
        {"INIT", "", "TakeTrace", {}},
        {"INIT:IMM;*OPC?", "1", "TakeTrace", {}},
        {"INIT 1", "", "", {-108}},
        {"ABOR", "", "Abort", {}},
        {"AVER ON", "", "AveragingOn", {}},
        {"SENS:AVER:STAT OFF", "", "AveragingOff", {}},
        {"AVER:COUN 8;COUN?", "8", "SetAverageCount 8", {}},
        {"AVER:COUN 2.5", "", "SetAverageCount 2", {}},
        {"AVER:COUN 1", "", "", {-222}},
        {"AVER:COUN 8 Hz", "", "", {-131}},
        {"AVER:COUN? MAX", "255", "", {}},
    });
}

TEST(ScpiCommands, MarkersAndLimits)
{
    auto markerTwoOn = [](FakeTarget &t) {
        t.markers[1] = {true, 100.5, true, -42.5};
        t.markers[2] = {true, 2000, false, 0};
    };
    auto limitOne = [](FakeTarget &t) {
        t.limits[0] = {true, "mask", LimitResult::Fail, ""};
        t.limits[1] = {true, "mask", LimitResult::None, "no point of the screen lies within the line"};
    };
    RunCases({
        {"CALC:MARK2:STAT ON", "", "SetMarkerOn 2 on", {}},
        {"CALC:MARK ON", "", "SetMarkerOn 1 on", {}},
        {"CALC:MARK2:STAT ON;X 100.5MHz", "", "SetMarkerOn 2 on | SetMarkerFreq 2 100.5", {}},
        {"CALC:MARK5:X 1234567.4", "", "SetMarkerFreq 5 1.234567", {}},
        {"CALC:MARK:X 1.2GHz", "", "", {-222}},
        {"CALC:MARK6:X 1MHz", "", "", {-114}},
        {"CALC:MARK2:X?;Y?;STAT?", "100500000;-42.5;1", "", {}, markerTwoOn},
        {"CALC:MARK3:Y?", "9.91E+37", "", {}, markerTwoOn},
        {"CALC:MARK1:Y?", "", "", {-221}},
        {"CALC:MARK4:MAX", "", "MarkerToPeak 4", {}},
        {"CALC:LIM2 ON", "", "SetLimitShown 2 on", {}},
        {"CALC:LIM:STAT?", "0", "", {}},
        {"CALC:LIM:FAIL?", "1", "", {}, limitOne},
        {"CALC:LIM2:FAIL?", "", "", {-200}, limitOne},
        {"CALC:LIM:FAIL?", "", "", {-221}},
        {"CALC:LIM:NAME \"mask\"", "", "SelectLimitFile 1 mask", {}},
        {"CALC:LIM:NAME \"none\";*OPC?", "1", "SelectLimitFile 1 none", {-200}},
        {"CALC:LIM:NAME \"../Tavrin.Log\"", "", "", {-224}},
        {"CALC:LIM:NAME mask", "", "", {-104}},
        {"CALC:LIM:NAME?", "\"mask\"", "", {}, limitOne},
    });
}

TEST(ScpiCommands, TrackingGenerator)
{
    auto outputOn = [](FakeTarget &t) { t.generator = {true, true, -20, 5}; };
    RunCases({
        {"INST TG", "", "GeneratorMode on", {}},
        {"instrument:select sa", "", "GeneratorMode off", {}},
        {"INST XY", "", "", {-224}},
        {"INST?", "SA", "", {}},
        {"OUTP ON", "", "", {-221}},
        {"OUTP ON", "", "GeneratorOutput on", {}, TgMode},
        {"OUTP?", "1", "", {}, outputOn},
        {"SOUR:POW -12.5", "", "GeneratorLevel -12", {}},
        {"SOUR:POW:LEV:IMM:AMPL -13.5 dBm", "", "GeneratorLevel -14", {}},
        {"SOUR:POW -60", "", "", {-222}},
        {"SOUR:POW 1", "", "", {-222}},
        {"SOUR:POW?", "-20", "", {}, outputOn},
        {"SOUR:FREQ:OFFS 20.6kHz", "", "GeneratorOffset 21", {}},
        {"SOUR:FREQ:OFFS -99 kHz", "", "GeneratorOffset -99", {}},
        {"SOUR:FREQ:OFFS 100kHz", "", "", {-222}},
        {"SOUR:FREQ:OFFS?", "5000", "", {}, outputOn},
        {"SOUR:NORM", "", "", {-221}, TgMode},
        {"SOUR:NORM", "", "Normalize", {}, outputOn},
    });
}

TEST(ScpiCommands, CommonCommandsAndRegisters)
{
    auto busy = [](FakeTarget &t) {
        t.generator = {true, true, -20, 5};
        t.averaging = true;
        t.markers[3].on = true;
        t.limits[1].shown = true;
    };
    RunCases({
        {"*IDN?", "Tavrin,Spectrum Analyzer,12345,SW2.07 FPGA1.4", "Identify", {}},
        {"*IDN?", "Tavrin,Spectrum Analyzer,0,SW0 FPGA0", "Identify", {}, [](FakeTarget &t) { t.identity = {}; }},
        {"*RST", "", "GeneratorMode off | AveragingOff | SetMarkerOn 4 off | SetLimitShown 2 off", {}, busy},
        {"*RST 1", "", "", {-108}},
        {"*TST?", "0", "", {}},
        {"BOGUS;*ESR?;*ESR?", "", "", {-113}},
        {"FREQ:CENT 2GHz;*ESR?;*ESR?", "16;0", "", {-222}},
        {"*ESE 36;*ESE?;BOGUS", "36", "", {-113}},
        {"*ESE 256", "", "", {-222}},
        {"*SRE 255;*SRE?", "191", "", {}},
        {"*STB?", "0", "", {}},
        {"*OPC;*ESR?", "1", "", {}},
        {"SYST:ERR:COUN?;:SYST:VERS?", "0;1999.0", "", {}},
        {"SYST:ERR:NEXT?", "0,\"No error\"", "", {}},
    });
}

TEST(ScpiCommands, ChainsGoOnUnderThePathAndStopAtACommandError)
{
    RunCases({
        {"FREQ:CENT 100MHz;SPAN 20MHz;:INIT:CONT ON", "", "SetCenter 100 | SetSpan 2MHZ/DIV | Start", {}},
        {"FREQ:CENT?;SPAN?;:DISP:TRAC:Y:RLEV?", "80000000;100000000;0", "", {}},
        {"FREQ:CENT 100MHz;BAND 3kHz", "", "SetCenter 100", {-113}},
        {"FREQ:CENT 10 dBm;SPAN 20MHz", "", "", {-131}},
        {"FREQ:CENT 2GHz;SPAN 20MHz", "", "SetSpan 2MHZ/DIV", {-222}},
        {"*IDN?;BOGUS;*IDN?", "Tavrin,Spectrum Analyzer,12345,SW2.07 FPGA1.4", "Identify", {-113}},
        {"*CLS;FREQ::CENT 1;*IDN?", "", "", {-102}},
    });
}

TEST(ScpiCommands, TraceDataInEachFormat)
{
    ClientHarness h;
    h.target.settings = {100, "1MHZ/DIV", -20, "30KHZ", false};
    h.target.SetLiveTrace(300, 1023, 0);
    const std::string ascii = h.Ask("TRAC?");
    EXPECT_EQ(std::count(ascii.begin(), ascii.end(), ','), 499);
    EXPECT_EQ(ascii.substr(0, 20), "-99.921875,-99.92187");
    EXPECT_NE(ascii.find(",-20,"), std::string::npos);
    EXPECT_EQ(h.Ask("TRAC:POIN?"), "500\n");

    const std::string freqs = h.Ask("TRACE:FREQUENCIES?");
    EXPECT_EQ(freqs.substr(0, 17), "94980000,95000000");  // 100 MHz - 251 x 20 kHz, then 20 kHz apart
    EXPECT_NE(freqs.find(",100000000,"), std::string::npos);

    EXPECT_EQ(h.Ask("FORM REAL,32;FORM?"), "REAL,32\n");
    const std::string block = h.Ask("TRAC:DATA? TRACE1");
    ASSERT_EQ(block.size(), 7u + 2000u);
    EXPECT_EQ(block.substr(0, 6), "#42000");
    // -99.921875 as a big-endian float: 0xC2C7D800.
    EXPECT_EQ(block.substr(6, 4), std::string("\xC2\xC7\xD8\x00", 4));
    EXPECT_EQ(block.back(), '\n');
    h.Ask("FORM:BORD SWAP");
    EXPECT_EQ(h.Ask("TRAC?").substr(6, 4), std::string("\x00\xD8\xC7\xC2", 4));
    EXPECT_EQ(h.Ask("FORM:BORD?;:FORM REAL,64;FORM?"), "SWAP;REAL,64\n");
    EXPECT_EQ(h.Ask("TRAC?").substr(0, 6), "#44000");
    EXPECT_EQ(h.Ask("*RST;FORM:DATA?;BORD?"), "ASC,0;NORM\n");

    for (const char *bad : {"FORM REAL,16", "FORM ASC,3", "FORM XML"})
        h.Ask(bad);
    EXPECT_EQ(h.Errors(), (std::vector<int>{-224, -224, -224}));
    EXPECT_EQ(h.Ask("TRAC? MAXH"), "");
    EXPECT_EQ(h.Ask("TRAC? TRACE2"), "");
    EXPECT_EQ(h.Errors(), (std::vector<int>{-221, -224}));
    h.target.traces.clear();
    EXPECT_EQ(h.Ask("TRAC?"), "");
    EXPECT_EQ(h.Errors(), (std::vector<int>{-200}));
}

TEST(ScpiCommands, LevelsFollowTheDisplayUnit)
{
    ClientHarness h;
    h.target.settings.dBu = true;
    h.target.SetLiveTrace(10, 1023, 1023);
    EXPECT_EQ(h.Ask("UNIT:POW?;:TRAC?").substr(0, 10), "DBUV;107,1");
}

}  // namespace
