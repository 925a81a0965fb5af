// *IDN?, *RST, *CLS, the status registers, *OPC, *WAI and SYSTem.
#include "remote/commands.h"
#include "remote/scpi_values.h"

#include "common/rounding.h"

namespace tavrin::remote {

namespace {

void NoParams(Call &call, void (*then)(Call &))
{
    if (ParamCount(call, 0, 0))
        then(call);
}

std::string IdentityResponse(const RemoteIdentity &id)
{
    auto field = [](const std::string &v) { return v.empty() ? std::string("0") : v; };
    return "Tavrin,Spectrum Analyzer," + field(id.serial) + ",SW" + field(id.software) + " FPGA" + field(id.fpga);
}

void Identify(Call &call)
{
    NoParams(call, [](Call &c) {
        std::function<void(std::string)> reply = c.Later();
        c.target.Identify([reply](const RemoteIdentity &id) { reply(IdentityResponse(id)); });
    });
}

// Back to a known state: the client's data format, and the program's generator, averaging,
// markers and limit lines off. The measurement settings and the acquisition stay as they are.
void Reset(Call &call)
{
    NoParams(call, [](Call &c) {
        c.client.format = DataFormat::Ascii;
        c.client.swapped = false;
        c.client.opcArmed = false;
        if (c.target.Generator().mode)
            c.target.SetGeneratorMode(false, c.Operation());
        if (c.target.AveragingOn())
            c.target.SetAveraging(false, c.Operation());
        for (int n = 1; n <= 5; ++n)
            if (c.target.Marker(n).on)
                c.target.SetMarkerOn(n, false, c.Operation());
        for (int n = 1; n <= 2; ++n)
            if (c.target.Limit(n).shown)
                c.target.SetLimitShown(n, false, c.Operation());
    });
}

void Clear(Call &call)
{
    NoParams(call, [](Call &c) {
        c.client.errors.Clear();
        c.client.eventStatus = 0;
        c.client.opcArmed = false;
    });
}

void OperationComplete(Call &call)
{
    NoParams(call, [](Call &c) {
        if (c.OperationsPending())
            c.client.opcArmed = true;
        else
            c.client.eventStatus |= kOperationComplete;
    });
}

void OperationCompleteQuery(Call &call)
{
    NoParams(call, [](Call &c) { c.WaitForOperations("1"); });
}

void Wait(Call &call)
{
    NoParams(call, [](Call &c) { c.WaitForOperations(""); });
}

void EventStatusQuery(Call &call)
{
    NoParams(call, [](Call &c) {
        c.Reply(std::to_string(c.client.eventStatus));
        c.client.eventStatus = 0;
    });
}

std::optional<uint8_t> ReadRegister(Call &call)
{
    if (!ParamCount(call, 1, 1))
        return std::nullopt;
    const std::optional<double> v = ReadNumber(call, 0, Quantity::Count, {0, 255, "a register"});
    if (!v)
        return std::nullopt;
    return static_cast<uint8_t>(RoundHalfEvenToInt32(*v));
}

void EventStatusEnable(Call &call)
{
    if (const std::optional<uint8_t> v = ReadRegister(call))
        call.client.eventStatusEnable = *v;
}

void EventStatusEnableQuery(Call &call)
{
    NoParams(call, [](Call &c) { c.Reply(std::to_string(c.client.eventStatusEnable)); });
}

void ServiceEnable(Call &call)
{
    if (const std::optional<uint8_t> v = ReadRegister(call))
        call.client.serviceEnable = *v & ~0x40;
}

void ServiceEnableQuery(Call &call)
{
    NoParams(call, [](Call &c) { c.Reply(std::to_string(c.client.serviceEnable)); });
}

// Bit 2: errors are queued; bit 5: an enabled event happened; bit 6: a bit enabled by *SRE is set.
void StatusByteQuery(Call &call)
{
    NoParams(call, [](Call &c) {
        int stb = 0;
        if (!c.client.errors.Empty())
            stb |= 1 << 2;
        if (c.client.eventStatus & c.client.eventStatusEnable)
            stb |= 1 << 5;
        if (stb & c.client.serviceEnable)
            stb |= 1 << 6;
        c.Reply(std::to_string(stb));
    });
}

void SelfTestQuery(Call &call)
{
    NoParams(call, [](Call &c) { c.Reply("0"); });
}

void NextError(Call &call)
{
    NoParams(call, [](Call &c) { c.Reply(ErrorResponse(c.client.errors.Pop())); });
}

void ErrorCount(Call &call)
{
    NoParams(call, [](Call &c) { c.Reply(std::to_string(c.client.errors.Count())); });
}

void Version(Call &call)
{
    NoParams(call, [](Call &c) { c.Reply("1999.0"); });
}

}  // namespace

std::vector<Command> CommonCommands()
{
    return {
        {"*IDN?", "", "maker, model, the analyzer's serial number, software and FPGA versions", Identify},
        {"*RST", "",
         "the client's data format back to ASCii and NORMal; generator mode, averaging, markers and limit lines off "
         "(settings and acquisition stay)",
         Reset},
        {"*CLS", "", "clears the error queue and the event status", Clear},
        {"*OPC", "", "sets bit 0 of the event status once this client's operations are done", OperationComplete},
        {"*OPC?", "", "answers 1 once this client's operations are done (settings confirmed, traces taken)",
         OperationCompleteQuery},
        {"*WAI", "", "runs nothing more of this client until its operations are done", Wait},
        {"*ESR?", "", "the event status register, then cleared", EventStatusQuery},
        {"*ESE", "<0..255>", "the event status enable register", EventStatusEnable},
        {"*ESE?", "", "", EventStatusEnableQuery},
        {"*SRE", "<0..255>", "the service request enable register", ServiceEnable},
        {"*SRE?", "", "", ServiceEnableQuery},
        {"*STB?", "", "status byte: 4 errors queued, 32 an enabled event, 64 a summary of the enabled bits",
         StatusByteQuery},
        {"*TST?", "", "0: there is no self test", SelfTestQuery},
        {"SYSTem:ERRor[:NEXT]?", "", "the oldest error of this client: <code>,\"<text>\"; 0,\"No error\"", NextError},
        {"SYSTem:ERRor:COUNt?", "", "how many errors are queued", ErrorCount},
        {"SYSTem:VERSion?", "", "the SCPI version: 1999.0", Version},
    };
}

}  // namespace tavrin::remote
