#include "settings/program_settings.h"

#include "common/program_folder.h"
#include "common/safe_file.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <utility>

namespace tavrin {

namespace {

constexpr char kTraceModes[] = "TraceModes";
constexpr char kWaterfall[] = "Waterfall";
constexpr char kLimits[] = "Limits";
constexpr char kLayout[] = "Layout";
constexpr char kAdjacentChannel[] = "AdjacentChannel";
constexpr char kPublish[] = "Publish";
constexpr char kMemories[] = "TraceMemories";
constexpr char kPeaks[] = "Peaks";
// The reach of a peak threshold the screen can show in dBm or dBu, with room to spare.
constexpr double kLowestThreshold = -200, kHighestThreshold = 200, kMostExcursion = 80;
constexpr char kRemote[] = "Remote";
constexpr const char *kKindKeys[] = {"Kind1", "Kind2"};
constexpr int kLeastWindow = 100, kMostWindow = 20000;
// Where the waterfall first stood before the layout was kept: under the display window, as wide.
constexpr int kOldDisplayWidth = 541;

// Colours as "#rrggbb", as a user editing the file expects them.
QString ColorText(uint32_t c)
{
    return QString::asprintf("#%02x%02x%02x", c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
}

uint32_t ReadColor(const QSettings &ini, const char *key, uint32_t fallback)
{
    const QString text = ini.value(key).toString().trimmed();
    if (text.size() != 7 || text[0] != '#')
        return fallback;
    for (QChar digit : text.mid(1))
        if (!std::isxdigit(static_cast<unsigned char>(digit.toLatin1())))
            return fallback;
    const uint32_t rgb = text.mid(1).toUInt(nullptr, 16);
    return Rgb(static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8), static_cast<uint8_t>(rgb));
}

bool ReadSwitch(const QSettings &ini, const char *key, bool fallback)
{
    const QString text = ini.value(key).toString().trimmed().toLower();
    if (text == "true" || text == "1")
        return true;
    if (text == "false" || text == "0")
        return false;
    return fallback;
}

void WriteTraceModes(QSettings &ini, const TraceModeSettings &t)
{
    ini.beginGroup(kTraceModes);
    ini.setValue("MaxHoldColor", ColorText(t.maxHoldColor));
    ini.setValue("MinHoldColor", ColorText(t.minHoldColor));
    ini.setValue("BandPower", t.bandPower);
    ini.setValue("OccupiedBandwidth", t.occupiedBandwidth);
    ini.setValue("NoiseMarker", t.noiseMarker);
    ini.endGroup();
}

TraceModeSettings ReadTraceModes(QSettings &ini)
{
    const TraceModeSettings d;
    TraceModeSettings t;
    ini.beginGroup(kTraceModes);
    t.maxHoldColor = ReadColor(ini, "MaxHoldColor", d.maxHoldColor);
    t.minHoldColor = ReadColor(ini, "MinHoldColor", d.minHoldColor);
    t.bandPower = ReadSwitch(ini, "BandPower", d.bandPower);
    t.occupiedBandwidth = ReadSwitch(ini, "OccupiedBandwidth", d.occupiedBandwidth);
    t.noiseMarker = ReadSwitch(ini, "NoiseMarker", d.noiseMarker);
    ini.endGroup();
    return t;
}

QString GeometryText(const Rect &r) { return QString("%1,%2,%3,%4").arg(r.x).arg(r.y).arg(r.width).arg(r.height); }

// "x,y,width,height"; nothing for a window of no size, or of a size no screen has.
std::optional<Rect> ReadGeometry(const QSettings &ini, const char *key)
{
    // Read as one text: QSettings would take an unquoted list apart at its commas.
    const QStringList parts = ini.value(key).toStringList().join(',').split(',');
    int v[4] = {};
    bool ok = parts.size() == 4;
    for (qsizetype i = 0; ok && i < 4; ++i)
        v[i] = parts[i].trimmed().toInt(&ok);
    if (ok && v[2] >= kLeastWindow && v[3] >= kLeastWindow && v[2] <= kMostWindow && v[3] <= kMostWindow &&
        std::abs(v[0]) <= kMostWindow && std::abs(v[1]) <= kMostWindow)
        return Rect{v[0], v[1], v[2], v[3]};
    return std::nullopt;
}

void WriteWaterfall(QSettings &ini, const WaterfallWindowSettings &w)
{
    ini.beginGroup(kWaterfall);
    ini.setValue("Open", w.open);
    ini.setValue("Maximized", w.maximized);
    if (w.width > 0)
        ini.setValue("Geometry", GeometryText({w.x, w.y, w.width, w.height}));
    ini.endGroup();
}

WaterfallWindowSettings ReadWaterfall(QSettings &ini)
{
    WaterfallWindowSettings w;
    ini.beginGroup(kWaterfall);
    w.open = ReadSwitch(ini, "Open", w.open);
    w.maximized = ReadSwitch(ini, "Maximized", w.maximized);
    // A window without a place takes its first place.
    if (const std::optional<Rect> r = ReadGeometry(ini, "Geometry"))
        w.x = r->x, w.y = r->y, w.width = r->width, w.height = r->height;
    ini.endGroup();
    return w;
}

void WriteLayout(QSettings &ini, const FrameLayout &l)
{
    ini.beginGroup(kLayout);
    // A window that follows the frame has no entry.
    for (auto [key, placed] : {std::pair{"Display", &l.display}, std::pair{"Panel", &l.panel},
                              std::pair{"Waterfall", &l.waterfall}})
        if (*placed)
            ini.setValue(key, GeometryText(**placed));
    ini.setValue("WaterfallShare", QString::number(l.waterfallShare, 'f', 3));
    ini.endGroup();
}

FrameLayout ReadLayout(QSettings &ini, const WaterfallWindowSettings &waterfall)
{
    FrameLayout l;
    if (!ini.childGroups().contains(kLayout)) {
        const bool firstPlace = waterfall.x == 0 && waterfall.width == kOldDisplayWidth;
        if (waterfall.width > 0 && !firstPlace)
            l.waterfall = Rect{waterfall.x, waterfall.y, waterfall.width, waterfall.height};
        return l;
    }
    ini.beginGroup(kLayout);
    l.display = ReadGeometry(ini, "Display");
    l.panel = ReadGeometry(ini, "Panel");
    l.waterfall = ReadGeometry(ini, "Waterfall");
    bool ok = false;
    const double share = ini.value("WaterfallShare").toString().trimmed().toDouble(&ok);
    if (ok && share >= kLeastWaterfallShare && share <= kMostWaterfallShare)
        l.waterfallShare = share;
    ini.endGroup();
    return l;
}

void WriteLimits(QSettings &ini, const LimitSettings &l)
{
    ini.beginGroup(kLimits);
    for (size_t k = 0; k < 2; ++k)
        ini.setValue(kKindKeys[k], l.lower[k] ? "lower" : "upper");
    ini.setValue("Beep", l.beep);
    ini.setValue("Capture", l.capture);
    ini.setValue("Log", l.log);
    ini.endGroup();
}

LimitSettings ReadLimits(QSettings &ini)
{
    LimitSettings l;
    ini.beginGroup(kLimits);
    for (size_t k = 0; k < 2; ++k)
        l.lower[k] = ini.value(kKindKeys[k]).toString().trimmed().toLower() == "lower";
    l.beep = ReadSwitch(ini, "Beep", l.beep);
    l.capture = ReadSwitch(ini, "Capture", l.capture);
    l.log = ReadSwitch(ini, "Log", l.log);
    ini.endGroup();
    return l;
}

void WriteAdjacentChannel(QSettings &ini, const AdjacentChannelSettings &a)
{
    ini.beginGroup(kAdjacentChannel);
    ini.setValue("On", a.on);
    ini.setValue("Width", a.plan.widthMHz);
    ini.setValue("Spacing", a.plan.spacingMHz);
    ini.endGroup();
}

// A width or spacing in MHz within the analyzer's range, else the fallback.
double ReadMHz(const QSettings &ini, const char *key, double fallback)
{
    bool ok = false;
    const double mhz = ini.value(key).toString().trimmed().toDouble(&ok);
    return ok && mhz > 0 && mhz <= kWindowMaxMHz ? mhz : fallback;
}

AdjacentChannelSettings ReadAdjacentChannel(QSettings &ini)
{
    AdjacentChannelSettings a;
    ini.beginGroup(kAdjacentChannel);
    a.on = ReadSwitch(ini, "On", a.on);
    a.plan.widthMHz = ReadMHz(ini, "Width", a.plan.widthMHz);
    a.plan.spacingMHz = ReadMHz(ini, "Spacing", a.plan.spacingMHz);
    ini.endGroup();
    return a;
}

void WritePublish(QSettings &ini, const PublishSettings &p)
{
    ini.beginGroup(kPublish);
    ini.setValue("On", p.on);
    ini.setValue("BrokerUrl", QString::fromStdString(p.brokerUrl));
    ini.setValue("TopicPrefix", QString::fromStdString(p.topicPrefix));
    ini.setValue("QoS", p.qos);
    ini.setValue("User", QString::fromStdString(p.user));
    ini.setValue("PasswordFile", QString::fromStdString(p.passwordFile));
    ini.setValue("CaFile", QString::fromStdString(p.caFile));
    ini.setValue("Interval", QString::number(p.intervalSeconds, 'g', 15));
    ini.endGroup();
}

PublishSettings ReadPublish(QSettings &ini)
{
    PublishSettings p;
    ini.beginGroup(kPublish);
    // A text with commas written by hand without quotes comes as a list.
    auto text = [&](const char *key) { return ini.value(key).toStringList().join(',').trimmed().toStdString(); };
    p.on = ReadSwitch(ini, "On", p.on);
    if (std::string url = text("BrokerUrl"); !url.empty())
        p.brokerUrl = url;
    p.topicPrefix = text("TopicPrefix");
    const std::string qos = text("QoS");
    p.qos = qos == "1" ? 1 : 0;
    p.user = text("User");
    p.passwordFile = text("PasswordFile");
    p.caFile = text("CaFile");
    bool ok = false;
    const double interval = QString::fromStdString(text("Interval")).toDouble(&ok);
    if (ok && interval >= 0 && interval <= kMostPublishIntervalSeconds)
        p.intervalSeconds = interval;
    ini.endGroup();
    return p;
}

void WriteMemories(QSettings &ini, const MemorySettings &m)
{
    ini.beginGroup(kMemories);
    ini.setValue("ShowA", m.showA);
    ini.setValue("ShowB", m.showB);
    ini.setValue("ColorA", ColorText(m.colorA));
    ini.setValue("ColorB", ColorText(m.colorB));
    ini.endGroup();
}

MemorySettings ReadMemories(QSettings &ini)
{
    MemorySettings m;
    ini.beginGroup(kMemories);
    m.showA = ReadSwitch(ini, "ShowA", m.showA);
    m.showB = ReadSwitch(ini, "ShowB", m.showB);
    m.colorA = ReadColor(ini, "ColorA", m.colorA);
    m.colorB = ReadColor(ini, "ColorB", m.colorB);
    ini.endGroup();
    return m;
}

// An entry that is empty is no value; one out of [lowest, highest] or no number the default.
std::optional<double> ReadOptional(const QSettings &ini, const char *key, double lowest, double highest)
{
    bool ok = false;
    const double v = ini.value(key).toString().trimmed().toDouble(&ok);
    return ok && v >= lowest && v <= highest ? std::optional<double>(v) : std::nullopt;
}

void WritePeaks(QSettings &ini, const PeakSettings &p)
{
    ini.beginGroup(kPeaks);
    ini.setValue("Excursion", p.excursionDb ? QString::number(*p.excursionDb) : QString());
    ini.setValue("Threshold", p.thresholdDbm ? QString::number(*p.thresholdDbm) : QString());
    ini.setValue("Table", p.table);
    ini.endGroup();
}

PeakSettings ReadPeaks(QSettings &ini)
{
    PeakSettings p;
    ini.beginGroup(kPeaks);
    p.excursionDb = ReadOptional(ini, "Excursion", 0, kMostExcursion);
    p.thresholdDbm = ReadOptional(ini, "Threshold", kLowestThreshold, kHighestThreshold);
    p.table = ReadSwitch(ini, "Table", p.table);
    ini.endGroup();
    return p;
}

void WriteRemote(QSettings &ini, const RemoteControlSettings &r)
{
    ini.beginGroup(kRemote);
    ini.setValue("On", r.on);
    ini.setValue("Listen", QString::fromStdString(r.listen));
    ini.setValue("Allow", QString::fromStdString(r.allow));
    ini.endGroup();
}

// One text even when written by hand without quotes: QSettings would take a list apart at its commas.
std::string ReadText(const QSettings &ini, const char *key)
{
    return ini.value(key).toStringList().join(',').trimmed().toStdString();
}

RemoteControlSettings ReadRemote(QSettings &ini)
{
    RemoteControlSettings r;
    ini.beginGroup(kRemote);
    r.on = ReadSwitch(ini, "On", r.on);
    if (std::string listen = ReadText(ini, "Listen"); !listen.empty())
        r.listen = std::move(listen);
    r.allow = ReadText(ini, "Allow");
    ini.endGroup();
    return r;
}

}  // namespace

ProgramSettings LoadProgramSettings(const std::string &path)
{
    ProgramSettings settings;
    if (!QFile::exists(QString::fromStdString(path)))
        return settings;
    QSettings ini(QString::fromStdString(path), QSettings::IniFormat);
    settings.traceModes = ReadTraceModes(ini);
    settings.waterfall = ReadWaterfall(ini);
    settings.limits = ReadLimits(ini);
    settings.layout = ReadLayout(ini, settings.waterfall);
    settings.adjacentChannel = ReadAdjacentChannel(ini);
    settings.publish = ReadPublish(ini);
    settings.memories = ReadMemories(ini);
    settings.peaks = ReadPeaks(ini);
    settings.remote = ReadRemote(ini);
    return settings;
}

bool SaveProgramSettings(const std::string &path, const ProgramSettings &settings, std::string *error)
{
    // QSettings merges what it writes into the file already there and keeps a broken one as it
    // is: the text is made in a file of its own and then replaces the old file whole.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        if (error)
            *error = "no temporary folder: " + scratch.errorString().toStdString();
        return false;
    }
    const QString made = scratch.filePath("settings.ini");
    {
        QSettings ini(made, QSettings::IniFormat);
        WriteTraceModes(ini, settings.traceModes);
        WriteWaterfall(ini, settings.waterfall);
        WriteLimits(ini, settings.limits);
        WriteLayout(ini, settings.layout);
        WriteAdjacentChannel(ini, settings.adjacentChannel);
        WritePublish(ini, settings.publish);
        WriteMemories(ini, settings.memories);
        WritePeaks(ini, settings.peaks);
        WriteRemote(ini, settings.remote);
        ini.sync();
        if (ini.status() != QSettings::NoError) {
            if (error)
                *error = "the settings text could not be made";
            return false;
        }
    }
    QFile file(made);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString().toStdString();
        return false;
    }
    const QByteArray bytes = file.readAll();
    return ReplaceFileDurably(path, reinterpret_cast<const uint8_t *>(bytes.constData()),
                              static_cast<size_t>(bytes.size()), error);
}

std::string ProgramSettingsPath(const std::string &operationFilePath)
{
    const size_t slash = operationFilePath.rfind('/');
    if (slash == std::string::npos)
        return "TavrinRemote.ini";
    return JoinPath(slash == 0 ? "/" : operationFilePath.substr(0, slash), "TavrinRemote.ini");
}

}  // namespace tavrin
