#include "settings/setup_store.h"

#include "common/program_folder.h"
#include "common/safe_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace tavrin {

namespace {

constexpr std::string_view kExtension = ".ini";
// A setup is a few hundred bytes; a file far beyond that is no setup and is not read whole.
constexpr uint64_t kMaxSetupBytes = 64 * 1024;

// Whether the bytes are UTF-8 text, as every name the program shows must be.
bool Utf8(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t more = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : 4;
        if (more == 4 || c == 0xC0 || c == 0xC1 || (more > 0 && i + more >= text.size()))
            return false;
        for (size_t k = 1; k <= more; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2)
                return false;
        i += more + 1;
    }
    return true;
}

std::string NoSetup(const std::string &folder, const std::string &name)
{
    return "There is no setup named \"" + name + "\" in " + folder + ".";
}

bool Refused(const std::string &name, std::string &error)
{
    error = SetupNameProblem(name);
    return !error.empty();
}

}  // namespace

std::string SetupsFolder() { return JoinPath(WorkingFolder(), "setups"); }

std::string CleanSetupName(std::string_view typed)
{
    const size_t first = typed.find_first_not_of(' ');
    std::string name(first == std::string_view::npos ? "" : typed.substr(first, typed.find_last_not_of(' ') - first + 1));
    if (name.size() > kExtension.size() && name.ends_with(kExtension))
        name.resize(name.size() - kExtension.size());
    return name;
}

std::string SetupNameProblem(const std::string &name)
{
    if (name.empty())
        return "Give the setup a name.";
    if (name.find('/') != std::string::npos)
        return "The name \"" + name + "\" would leave the setups folder: give a name without \"/\".";
    if (name[0] == '.')
        return "A name that begins with \".\" would make a hidden file: begin it with a letter or a digit.";
    if (std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
        return "The name holds a control character: give a name of letters, digits and signs.";
    if (!Utf8(name))
        return "The name is not UTF-8 text: type it again.";
    if (name.size() + kExtension.size() > 255)
        return "The name is " + std::to_string(name.size()) + " bytes long; a setup's name may have 251.";
    return {};
}

std::string SetupPath(const std::string &folder, const std::string &name)
{
    return JoinPath(folder, name + std::string(kExtension));
}

std::vector<std::string> ListSetups(const std::string &folder)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto &entry : std::filesystem::directory_iterator(folder, error)) {
        const std::string file = entry.path().filename().string();
        std::error_code type;
        if (file.size() <= kExtension.size() || !file.ends_with(kExtension) || !entry.is_regular_file(type))
            continue;
        const std::string name = file.substr(0, file.size() - kExtension.size());
        if (SetupNameProblem(name).empty())
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool SetupExists(const std::string &folder, const std::string &name)
{
    struct stat info {};
    return SetupNameProblem(name).empty() && lstat(SetupPath(folder, name).c_str(), &info) == 0;
}

bool SaveSetup(const std::string &folder, const std::string &name, const Setup &setup, std::string &error)
{
    if (Refused(name, error))
        return false;
    std::error_code made;
    std::filesystem::create_directories(folder, made);  // a failure shows as the write's
    const std::string text = SetupText(setup);
    return ReplaceFileDurably(SetupPath(folder, name), reinterpret_cast<const uint8_t *>(text.data()), text.size(), &error);
}

bool RenameSetup(const std::string &folder, const std::string &from, const std::string &to, std::string &error)
{
    if (Refused(from, error) || Refused(to, error))
        return false;
    if (from == to)
        return true;
    const std::string source = SetupPath(folder, from), target = SetupPath(folder, to);
    // Never over another setup, not even one made meanwhile.
    int renamed = renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    if (renamed != 0 && (errno == EINVAL || errno == ENOSYS)) {  // a file system without it
        if (SetupExists(folder, to))
            errno = EEXIST;
        else
            renamed = rename(source.c_str(), target.c_str());
    }
    if (renamed == 0) {
        SyncFolderOf(target);
        return true;
    }
    if (errno == EEXIST)
        error = "A setup named \"" + to + "\" exists already: delete it first, or choose another name.";
    else
        error = errno == ENOENT ? NoSetup(folder, from) : ErrnoText(source, errno);
    return false;
}

bool DeleteSetup(const std::string &folder, const std::string &name, std::string &error)
{
    if (Refused(name, error))
        return false;
    if (unlink(SetupPath(folder, name).c_str()) != 0) {
        error = errno == ENOENT ? NoSetup(folder, name) : ErrnoText(SetupPath(folder, name), errno);
        return false;
    }
    SyncFolderOf(SetupPath(folder, name));
    return true;
}

SetupRecall RecallSetup(const std::string &folder, const std::string &name)
{
    SetupRecall r;
    if (Refused(name, r.error))
        return r;
    const std::string path = SetupPath(folder, name);
    std::vector<unsigned char> bytes;
    uint64_t size = 0;
    switch (ReadWholeFile(path, kMaxSetupBytes, bytes, r.error, size)) {
    case WholeFile::Read:
        return ParseSetup(std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()));
    case WholeFile::TooLong:
        r.error = path + " is " + std::to_string(size) + " bytes long: no setup, which takes a few hundred.";
        break;
    default:
        if (errno == ENOENT)
            r.error = NoSetup(folder, name);
        break;
    }
    return r;
}

}  // namespace tavrin
