#include "instrument/tavrin_library.h"

#include "common/program_folder.h"

#include <dlfcn.h>
#include <sys/stat.h>

namespace tavrin {

TavrinLibrary::~TavrinLibrary()
{
    if (!keep_)
        Unload();
}

bool TavrinLibrary::Unload()
{
    if (!handle_)
        return true;
    const std::string path = path_;
    dlclose(handle_);
    handle_ = nullptr;
    exports_ = {};
    if (void *still = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD)) {
        dlclose(still);
        return false;
    }
    return true;
}

void *TavrinLibrary::Symbol(const char *name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

bool TavrinLibrary::Load()
{
    if (tried_)
        return handle_ != nullptr;
    tried_ = true;

    std::string path = explicitPath_;
    if (path.empty()) {
        const std::string beside = JoinPath(ExecutableFolder(), kTavrinLibraryFile);
        struct stat st;
        path = stat(beside.c_str(), &st) == 0 ? beside : kTavrinLibraryFile;
    }
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char *why = dlerror();
        error_ = "The instrument library " + path + " could not be loaded" + (why ? std::string(": ") + why : ".");
        return false;
    }
    std::string missing;
    auto bind = [&](auto &fn, const char *name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(handle, name));
        if (!fn)
            missing += missing.empty() ? name : std::string(", ") + name;
    };
#define TAVRIN_BIND(name) bind(exports_.name, #name);
    TAVRIN_BIND(CHANGECOMPORT) TAVRIN_BIND(GETSERIALNUM) TAVRIN_BIND(SETFREQ) TAVRIN_BIND(SETRBW)
    TAVRIN_BIND(SETREFLVL) TAVRIN_BIND(SETSPAN) TAVRIN_BIND(GETANALYZERTRACEDATA) TAVRIN_BIND(STARTSTREAMING)
    TAVRIN_BIND(STOPSTREAMING) TAVRIN_BIND(GETMARKERLEVEL) TAVRIN_BIND(MARKERTOPEAK) TAVRIN_BIND(MARKERTOCENTER)
    TAVRIN_BIND(STARTTG) TAVRIN_BIND(EXITTG) TAVRIN_BIND(NORMALIZETG) TAVRIN_BIND(TGONOFF) TAVRIN_BIND(TGLEVEL)
    TAVRIN_BIND(TGOFFSET) TAVRIN_BIND(EXTREF) TAVRIN_BIND(SWVERSION) TAVRIN_BIND(FPGAVERSION) TAVRIN_BIND(ECHOON)
    TAVRIN_BIND(ECHOOFF)
#undef TAVRIN_BIND
    if (!missing.empty()) {
        error_ = "The instrument library " + path + " lacks the functions " + missing + ".";
        exports_ = {};
        dlclose(handle);
        return false;
    }
    handle_ = handle;
    path_ = path;
    return true;
}

}  // namespace tavrin
