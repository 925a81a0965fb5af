#include "tavrin_lib.h"

namespace tavrin::test {

bool TavrinLib::Load(std::string &error)
{
    library = std::make_unique<tavrin::TavrinLibrary>(TAVRIN_LIBRARY_PATH);
    if (!library->Load()) {
        error = library->Error();
        return false;
    }
    static_cast<tavrin::TavrinExports &>(*this) = library->Exports();
    return true;
}

bool TavrinLib::Unload()
{
    static_cast<tavrin::TavrinExports &>(*this) = {};
    if (!library)
        return true;
    const bool gone = library->Unload();
    library.reset();
    return gone;
}

}  // namespace tavrin::test
