// libTavrin.so loaded by name, as the program loads it, so that each load runs the library's
// load-time open of COM1 and each unload its close. The exports are callable as members.
#pragma once

#include "instrument/tavrin_library.h"

#include <memory>
#include <string>

namespace tavrin::test {

struct TavrinLib : tavrin::TavrinExports {
    // Loads the library built beside the tests; false with a message on failure.
    bool Load(std::string &error);
    // Unloads it; true when the library really left the process.
    bool Unload();
    void *Symbol(const char *name) const { return library ? library->Symbol(name) : nullptr; }

    std::unique_ptr<tavrin::TavrinLibrary> library;
};

}  // namespace tavrin::test
