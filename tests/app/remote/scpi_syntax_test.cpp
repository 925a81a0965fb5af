// The reading of program messages, and the lookup of headers in the command table.
#include "remote/command_set.h"
#include "remote/scpi_syntax.h"

#include "common/number_format.h"

#include <gtest/gtest.h>

using namespace tavrin::remote;

namespace {

// A unit as "FREQ:CENT?(100 MHZ,'a')", "*IDN?" or "!-102".
std::string Shown(const ProgramUnit &u)
{
    if (u.error)
        return "!" + std::to_string(u.error);
    std::string s = u.common ? "*" : "";
    for (size_t i = 0; i < u.nodes.size(); ++i)
        s += (i ? ":" : "") + u.nodes[i].mnemonic + (u.nodes[i].suffix ? std::to_string(u.nodes[i].suffix) : "");
    s += u.query ? "?" : "";
    if (u.params.empty())
        return s;
    s += "(";
    for (size_t i = 0; i < u.params.size(); ++i) {
        const Parameter &p = u.params[i];
        s += i ? "," : "";
        if (p.kind == Parameter::Kind::Number)
            s += tavrin::PlainDecimal(p.number) + (p.unit.empty() ? "" : " " + p.unit);
        else if (p.kind == Parameter::Kind::String)
            s += "'" + p.text + "'";
        else
            s += p.text;
    }
    return s + ")";
}

std::string Parsed(std::string_view line)
{
    std::string s;
    for (const ProgramUnit &u : ParseMessage(line))
        s += (s.empty() ? "" : " ; ") + Shown(u);
    return s;
}

TEST(ScpiSyntax, MessagesSplitIntoUnits)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"*IDN?", "*IDN?"},
        {"  *idn? ", "*IDN?"},
        {"freq:cent 100 MHz", "FREQ:CENT(100 MHZ)"},
        {":SENS:FREQ:CENT 1.5e9Hz", "SENS:FREQ:CENT(1500000000 HZ)"},
        {"FREQ:CENT -2.5 E-1", "FREQ:CENT(-0.25)"},
        {"FREQ:CENT .5", "FREQ:CENT(0.5)"},
        {"FREQ:CENT +7kHz", "FREQ:CENT(7 KHZ)"},
        // The path rule: a unit without ':' goes on under the previous header's path.
        {"FREQ:CENT 1;SPAN 2", "FREQ:CENT(1) ; FREQ:SPAN(2)"},
        {"SENS:FREQ:CENT 1;SPAN?;:INIT", "SENS:FREQ:CENT(1) ; SENS:FREQ:SPAN? ; INIT"},
        {"CALC:MARK2:STAT ON;X 3;*OPC?;Y?", "CALC:MARK2:STAT(ON) ; CALC:MARK2:X(3) ; *OPC? ; CALC:MARK2:Y?"},
        {"FORM REAL,32;BORD SWAP", "FORM(REAL,32) ; BORD(SWAP)"},
        {"CALC:LIM:NAME \"it\"\"s\"", "CALC:LIM:NAME('it\"s')"},
        {"CALC:LIM:NAME 'a;b'", "CALC:LIM:NAME('a;b')"},
        {"*CLS;;*RST;", "*CLS ; *RST"},
        {"TRAC? MAXHold", "TRAC?(MAXHOLD)"},
        {"", ""},
        // Errors end the message; what came before stays.
        {"*CLS;FREQ::CENT", "*CLS ; !-102"},
        {"FREQ:CENT 1.2.3", "!-102"},
        {"FREQ:CENT 1e", "FREQ:CENT(1 E)"},
        {"FREQ:CENT 1,", "!-102"},
        {"FREQ:CENT? X Y", "!-102"},
        {"*CLS;FREQ:CENT 1 2;*IDN?", "*CLS ; !-102"},
        {"FREQ:CENT- 1", "!-102"},
        {"CALC:LIM:NAME \"open", "!-102"},
        {"FREQ:CENT 1e999", "!-222"},
        {"FREQ:CENT #H1F", "!-104"},
        {"*", "!-102"},
        {"A:B:C:D:E:F;G:H:I:J:K:L;M:N:O", "A:B:C:D:E:F ; A:B:C:D:E:G:H:I:J:K:L ; !-113"},
        {"*IDN?\x01", "!-101"},
        {"FREQ:CENT \xC3\xA9", "!-101"},
    };
    for (const auto &[line, expected] : cases)
        EXPECT_EQ(Parsed(line), expected) << line;
}

TEST(ScpiSyntax, KeywordsMatchTheirShortAndLongFormsOnly)
{
    const std::tuple<std::string_view, std::string_view, bool> cases[] = {
        {"FREQ", "FREQuency", true},   {"frequency", "FREQuency", true}, {"FREQU", "FREQuency", false},
        {"FRE", "FREQuency", false},   {"Y", "Y", true},                 {"MAXH", "MAXHold", true},
        {"TRACE1", "TRACE1", true},    {"TRACE", "TRACE1", false},
    };
    for (const auto &[written, keyword, matches] : cases)
        EXPECT_EQ(MatchesKeyword(written, keyword), matches) << written << " " << keyword;
}

// What a header finds: the pattern of its command with the suffixes, or the error.
std::string Found(std::string_view line)
{
    const std::vector<ProgramUnit> units = ParseMessage(line);
    const CommandTable::Lookup found = ScpiCommands().Find(units.back());
    if (!found.command)
        return std::to_string(found.error);
    std::string s(found.command->pattern);
    for (int suffix : found.suffixes)
        s += " " + std::to_string(suffix);
    return s;
}

TEST(ScpiCommandTable, HeadersFindTheirCommand)
{
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"SENSe:FREQuency:CENTer?", "[SENSe:]FREQuency:CENTer?"},
        {"freq:cent 1", "[SENSe:]FREQuency:CENTer"},
        {"FREQ:CENTE?", "-113"},
        {"SENS:SENS:FREQ:CENT?", "-113"},
        {"FREQ:STAR?", "[SENSe:]FREQuency:STARt?"},
        {"FREQ:STAR 1", "-113"},
        {"BWID?", "[SENSe:]BANDwidth|BWIDth[:RESolution]?"},
        {"SENS:BAND:RES 3e3", "[SENSe:]BANDwidth|BWIDth[:RESolution]"},
        {"DISP:TRAC:Y:RLEV?", "DISPlay[:WINDow<1-1>]:TRACe<1-1>:Y[:SCALe]:RLEVel? 1 1"},
        {"DISPlay:WINDow1:TRACe1:Y:SCALe:RLEVel -10", "DISPlay[:WINDow<1-1>]:TRACe<1-1>:Y[:SCALe]:RLEVel 1 1"},
        {"DISP:WIND2:TRAC:Y:RLEV?", "-114"},
        {"CALC:MARK:X?", "CALCulate:MARKer<1-5>:X? 1"},
        {"CALC:MARK5:Y?", "CALCulate:MARKer<1-5>:Y? 5"},
        {"CALC:MARK6:Y?", "-114"},
        {"CALC:MARK0:Y?", "-114"},
        {"CALC:MARK99999999999:Y?", "-114"},
        {"CALC:LIM2:FAIL?", "CALCulate:LIMit<1-2>:FAIL? 2"},
        {"CALC:LIM3:FAIL?", "-114"},
        {"FREQ2:CENT?", "-114"},
        {"SYST:ERR?", "SYSTem:ERRor[:NEXT]?"},
        {"system:error:next?", "SYSTem:ERRor[:NEXT]?"},
        {"INIT", "INITiate[:IMMediate]"},
        {"INIT:IMM", "INITiate[:IMMediate]"},
        {"INIT:CONT?", "INITiate:CONTinuous?"},
        {"SOUR:POW:LEV:IMM:AMPL -10", "SOURce:POWer[:LEVel][:IMMediate][:AMPLitude]"},
        {"SOUR:POW:AMPL?", "SOURce:POWer[:LEVel][:IMMediate][:AMPLitude]?"},
        {"*IDN?", "*IDN?"},
        {"*IDN", "-113"},
        {"*OPC", "*OPC"},
        {"*FOO?", "-113"},
        {"TRAC?", "TRACe[:DATA]?"},
        {"TRAC:DATA?", "TRACe[:DATA]?"},
        {"BOGUS", "-113"},
    };
    for (const auto &[line, expected] : cases)
        EXPECT_EQ(Found(line), expected) << line;
}

// The header a pattern gives with every node in its short or long form, the optional nodes left
// out or written: each must find that same command, so no two commands of the table overlap.
std::string Written(std::string_view pattern, bool longForm, bool optionals)
{
    std::string out;
    bool optional = false, lower = false;
    for (size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '[' || c == ']') {
            optional = c == '[';
            continue;
        }
        if (c == '|' || c == '<') {  // the first alternative, no suffix
            i = pattern.find_first_of(":[]?", i) - 1;
            continue;
        }
        if (optional && !optionals)
            continue;
        lower = c >= 'a' && c <= 'z';
        if (lower && !longForm)
            continue;
        out += c;
    }
    return out;
}

TEST(ScpiCommandTable, EveryCommandIsFoundInItsShortAndLongForms)
{
    for (const Command &c : ScpiCommands().Commands()) {
        for (bool longForm : {false, true}) {
            for (bool optionals : {false, true}) {
                const std::string header = Written(c.pattern, longForm, optionals);
                const std::vector<ProgramUnit> units = ParseMessage(header);
                ASSERT_EQ(units.size(), 1u) << header;
                const CommandTable::Lookup found = ScpiCommands().Find(units[0]);
                EXPECT_EQ(found.command, &c) << header << " finds " << (found.command ? found.command->pattern : "nothing");
            }
        }
    }
}

}  // namespace
