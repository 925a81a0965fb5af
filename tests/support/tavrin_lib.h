// libTavrin.so loaded by name, as the program loads it, so that each load runs the library's
// load-time open of COM1 and each unload its close.
#pragma once

#include "Tavrin.h"

#include <string>

namespace tavrin::test {

struct TavrinLib {
    void *handle = nullptr;
#define TAVRIN_FN0(name) int32_t (*name)(void) = nullptr;
#define TAVRIN_FN1(name) int32_t (*name)(int32_t) = nullptr;
    TAVRIN_FN1(CHANGECOMPORT)
    TAVRIN_FN0(GETSERIALNUM)
    TAVRIN_FN1(SETFREQ)
    TAVRIN_FN1(SETRBW)
    TAVRIN_FN1(SETREFLVL)
    TAVRIN_FN1(SETSPAN)
    int32_t (*GETANALYZERTRACEDATA)(TavrinByteArray **) = nullptr;
    TAVRIN_FN0(STARTSTREAMING)
    TAVRIN_FN0(STOPSTREAMING)
    TAVRIN_FN1(GETMARKERLEVEL)
    TAVRIN_FN0(MARKERTOPEAK)
    TAVRIN_FN0(MARKERTOCENTER)
    TAVRIN_FN0(STARTTG)
    TAVRIN_FN0(EXITTG)
    TAVRIN_FN0(NORMALIZETG)
    TAVRIN_FN1(TGONOFF)
    TAVRIN_FN1(TGLEVEL)
    TAVRIN_FN1(TGOFFSET)
    TAVRIN_FN1(EXTREF)
    TAVRIN_FN0(SWVERSION)
    TAVRIN_FN0(FPGAVERSION)
    TAVRIN_FN0(ECHOON)
    TAVRIN_FN0(ECHOOFF)
#undef TAVRIN_FN0
#undef TAVRIN_FN1

    // Loads the library (running its load-time open); false with a message on failure.
    bool Load(std::string &error);
    // Unloads it; true when the library really left the process.
    bool Unload();
    void *Symbol(const char *name) const;
};

}  // namespace tavrin::test
