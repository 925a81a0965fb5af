#include "tavrin_lib.h"

#include <dlfcn.h>

namespace tavrin::test {

bool TavrinLib::Load(std::string &error)
{
    handle = dlopen(TAVRIN_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        error = dlerror();
        return false;
    }
    bool ok = true;
    auto bind = [&](auto &fn, const char *name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(handle, name));
        if (!fn) {
            error += std::string("missing ") + name + "; ";
            ok = false;
        }
    };
#define BIND(name) bind(name, #name);
    BIND(CHANGECOMPORT) BIND(GETSERIALNUM) BIND(SETFREQ) BIND(SETRBW) BIND(SETREFLVL) BIND(SETSPAN)
    BIND(GETANALYZERTRACEDATA) BIND(STARTSTREAMING) BIND(STOPSTREAMING) BIND(GETMARKERLEVEL)
    BIND(MARKERTOPEAK) BIND(MARKERTOCENTER) BIND(STARTTG) BIND(EXITTG) BIND(NORMALIZETG) BIND(TGONOFF)
    BIND(TGLEVEL) BIND(TGOFFSET) BIND(EXTREF) BIND(SWVERSION) BIND(FPGAVERSION) BIND(ECHOON) BIND(ECHOOFF)
#undef BIND
    return ok;
}

bool TavrinLib::Unload()
{
    if (!handle)
        return true;
    dlclose(handle);
    handle = nullptr;
    void *still = dlopen(TAVRIN_LIBRARY_PATH, RTLD_NOW | RTLD_NOLOAD);
    if (still) {
        dlclose(still);
        return false;
    }
    return true;
}

void *TavrinLib::Symbol(const char *name) const { return handle ? dlsym(handle, name) : nullptr; }

}  // namespace tavrin::test
