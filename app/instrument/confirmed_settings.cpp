#include "instrument/confirmed_settings.h"

#include "common/rounding.h"
#include "common/text_number.h"
#include "instrument/tavrin_dll.h"

#include <functional>

namespace tavrin {

namespace {

Confirmation SendAndConfirm(TavrinDLL &dll, const std::function<void()> &send,
                            const std::function<bool()> &reportedMatches)
{
    send();
    dll.Pause(kConfirmPauseMs);
    Confirmation c;
    do {
        dll.FetchTrace();
        ++c.reads;
        c.confirmed = reportedMatches();
    } while (!c.confirmed && c.reads < kMaxConfirmReads && !dll.LastFetchSilent());  // silence will not confirm
    return c;
}

}  // namespace

Confirmation SendCenterFreqConfirmed(TavrinDLL &dll, double mhz)
{
    return SendAndConfirm(dll, [&] { dll.SendCenterFreq(mhz); }, [&] { return dll.BlockCenterFreq() == mhz; });
}

Confirmation SendSpanConfirmed(TavrinDLL &dll, std::string_view caption)
{
    const std::string wanted = TrimSpaces(caption);
    return SendAndConfirm(dll, [&] { dll.SendSpan(wanted); }, [&] { return TrimSpaces(dll.BlockSpan()) == wanted; });
}

Confirmation SendRefLevelConfirmed(TavrinDLL &dll, double dbm)
{
    return SendAndConfirm(dll, [&] { dll.SendRefLevel(static_cast<int16_t>(RoundHalfEvenToInt32(dbm))); },
                          [&] { return dll.BlockRefLevel() == dbm; });
}

Confirmation SendRBWConfirmed(TavrinDLL &dll, std::string_view caption)
{
    const std::string wanted = TrimSpaces(caption);
    return SendAndConfirm(dll, [&] { dll.SendRBW(wanted); }, [&] { return TrimSpaces(dll.BlockRBW()) == wanted; });
}

}  // namespace tavrin
