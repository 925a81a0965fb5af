#include "port_map.h"

#include <cstdlib>
#include <sys/stat.h>

namespace tavrin {

std::string PortsFolder()
{
    const char *xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg)
        return std::string(xdg) + "/tavrin/ports";
    const char *home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.config/tavrin/ports";
    return {};
}

std::string ResolvePortPath(int port)
{
    const std::string folder = PortsFolder();
    if (!folder.empty()) {
        const std::string entry = folder + "/COM" + std::to_string(port);
        struct stat st;
        if (lstat(entry.c_str(), &st) == 0)
            return entry;
    }
    return "/dev/ttyS" + std::to_string(port - 1);
}

}  // namespace tavrin
