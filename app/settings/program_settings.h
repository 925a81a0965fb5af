// The program's second settings file, "TavrinRemote.ini" beside "Tavrin.Log": the settings of
// features the operation file has no field for, one section per feature. Tavrin.Log keeps its
// fixed layout; a missing or broken file here gives the defaults, a broken entry its own default.
#pragma once

#include "common/color.h"
#include "layout/frame_layout.h"
#include "measure/adjacent_channel.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace tavrin {

// Max and min hold and the measurements under the marker table.
struct TraceModeSettings {
    uint32_t maxHoldColor = Rgb(255, 160, 0);
    uint32_t minHoldColor = Rgb(64, 128, 255);
    bool bandPower = false;
    bool occupiedBandwidth = false;
    bool noiseMarker = false;

    bool operator==(const TraceModeSettings &) const = default;
};

// The waterfall window: whether it was open at the end, and where it stood in the main frame
// (its normal place when it was maximised); no width means the window's first place.
struct WaterfallWindowSettings {
    bool open = false;
    bool maximized = false;
    int x = 0, y = 0, width = 0, height = 0;

    bool operator==(const WaterfallWindowSettings &) const = default;
};

// The limit lines: each an upper or a lower limit, and what a failure sets off.
struct LimitSettings {
    std::array<bool, 2> lower{};
    bool beep = false;
    bool capture = false;
    bool log = true;

    bool operator==(const LimitSettings &) const = default;
};

// Adjacent channel power: whether it is measured, and its channels' width and spacing.
struct AdjacentChannelSettings {
    bool on = false;
    ChannelPlan plan;

    bool operator==(const AdjacentChannelSettings &) const = default;
};

// Publishing to an MQTT broker, off until the user switches it on. The password itself is never
// kept here, only the file that holds it (readable by its owner alone, as they choose).
struct PublishSettings {
    bool on = false;
    std::string brokerUrl = "mqtt://localhost:1883";
    std::string topicPrefix;  // "" for tavrin/<host name>, whichever computer reads the file
    int qos = 0;              // 0 or 1
    std::string user;         // "" anonymous
    std::string passwordFile;
    std::string caFile;       // for an mqtts:// broker; "" the system's certificates
    double intervalSeconds = 0;  // at most one trace per interval; 0 every trace

    bool operator==(const PublishSettings &) const = default;
};
inline constexpr double kMostPublishIntervalSeconds = 86400;
// The trace memories A and B: whether each is drawn, and in which colour.
struct MemorySettings {
    bool showA = false;
    bool showB = false;
    uint32_t colorA = Rgb(0, 200, 255);
    uint32_t colorB = Rgb(255, 96, 200);

    bool operator==(const MemorySettings &) const = default;
};

// The peak tools: what counts as a peak (none: the tools' own default excursion, no threshold)
// and whether the screen shows the peak table.
struct PeakSettings {
    std::optional<double> excursionDb;
    std::optional<double> thresholdDbm;
    bool table = false;

    bool operator==(const PeakSettings &) const = default;
};

// Remote control over the network: off unless switched on; where it listens and whom it lets in,
// as typed in its dialog (read as an address and a list when it is switched on).
struct RemoteControlSettings {
    bool on = false;
    std::string listen = "127.0.0.1:5025";
    std::string allow;  // addresses and networks; empty lets in whoever reaches the address

    bool operator==(const RemoteControlSettings &) const = default;
};

struct ProgramSettings {
    TraceModeSettings traceModes;
    WaterfallWindowSettings waterfall;
    LimitSettings limits;
    // The windows the user placed in the main frame, and the split under the display. A file
    // from before it was kept knows only the waterfall's place: taken as placed by the user unless
    // it is where that program first put it (at the left edge, as wide as the display's first size).
    FrameLayout layout;
    AdjacentChannelSettings adjacentChannel;
    PublishSettings publish;
    MemorySettings memories;
    PeakSettings peaks;
    RemoteControlSettings remote;

    bool operator==(const ProgramSettings &) const = default;
};

ProgramSettings LoadProgramSettings(const std::string &path);
// Writes the whole file anew, atomically: the old one stays whole if anything fails. On failure
// returns false and, when error is given, the reason.
bool SaveProgramSettings(const std::string &path, const ProgramSettings &settings, std::string *error = nullptr);

// "TavrinRemote.ini" in the folder of the operation file at operationFilePath.
std::string ProgramSettingsPath(const std::string &operationFilePath);

}  // namespace tavrin
