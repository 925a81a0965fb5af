// libTavrin.so, bound by name at the first call into it.
#pragma once

#include "Tavrin.h"

#include <string>

namespace tavrin {

struct TavrinExports {
    int32_t (*CHANGECOMPORT)(int32_t) = nullptr;
    int32_t (*GETSERIALNUM)() = nullptr;
    int32_t (*SETFREQ)(int32_t) = nullptr;
    int32_t (*SETRBW)(int32_t) = nullptr;
    int32_t (*SETREFLVL)(int32_t) = nullptr;
    int32_t (*SETSPAN)(int32_t) = nullptr;
    int32_t (*GETANALYZERTRACEDATA)(TavrinByteArray **) = nullptr;
    int32_t (*STARTSTREAMING)() = nullptr;
    int32_t (*STOPSTREAMING)() = nullptr;
    int32_t (*GETMARKERLEVEL)(int32_t) = nullptr;
    int32_t (*MARKERTOPEAK)() = nullptr;
    int32_t (*MARKERTOCENTER)() = nullptr;
    int32_t (*STARTTG)() = nullptr;
    int32_t (*EXITTG)() = nullptr;
    int32_t (*NORMALIZETG)() = nullptr;
    int32_t (*TGONOFF)(int32_t) = nullptr;
    int32_t (*TGLEVEL)(int32_t) = nullptr;
    int32_t (*TGOFFSET)(int32_t) = nullptr;
    int32_t (*EXTREF)(int32_t) = nullptr;
    int32_t (*SWVERSION)() = nullptr;
    int32_t (*FPGAVERSION)() = nullptr;
    int32_t (*ECHOON)() = nullptr;
    int32_t (*ECHOOFF)() = nullptr;
};

inline constexpr const char *kTavrinLibraryFile = "libTavrin.so";

class TavrinLibrary {
public:
    // Empty: next to the executable first, then the system's library search.
    explicit TavrinLibrary(std::string explicitPath = {}) : explicitPath_(std::move(explicitPath)) {}
    ~TavrinLibrary();
    TavrinLibrary(const TavrinLibrary &) = delete;
    TavrinLibrary &operator=(const TavrinLibrary &) = delete;

    // Loads and binds all 23 functions once; later calls return the first outcome.
    bool Load();
    // Unloads the library (its port closes); true when it really left the process.
    bool Unload();
    // Leaves the library in the process when this object goes: a call may still be inside it.
    void KeepLoaded() { keep_ = true; }
    // Any symbol of the loaded library, for checking its exported names.
    void *Symbol(const char *name) const;
    bool Loaded() const { return handle_ != nullptr; }
    // Why loading failed, naming the file.
    const std::string &Error() const { return error_; }
    const TavrinExports &Exports() const { return exports_; }

private:
    std::string explicitPath_;
    void *handle_ = nullptr;
    std::string path_;
    bool tried_ = false;
    bool keep_ = false;
    std::string error_;
    TavrinExports exports_;
};

}  // namespace tavrin
