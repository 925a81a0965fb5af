#include "display/screen_overlays.h"

#include "measure/trace_difference.h"

#include <string>
#include <vector>

namespace tavrin {

namespace {

constexpr size_t kNoteWidth = 68;      // characters a line of the graticule holds
constexpr double kNoteFoot = 45;       // upper edge of the lowest note line
constexpr double kNoteLineStep = 40;
constexpr double kCaptionX = 160, kCaptionY = 1070;

void PrintAt(DrawingSurface &surface, double x, double y, const std::string &text)
{
    surface.SetTextPosition(x, y);
    surface.Print(text);
}

}  // namespace

void DrawMemories(DrawingSurface &surface, const ScreenView &view)
{
    for (const MemoryView &memory : view.memories)
        if (memory.trace)
            DrawPolyline(surface, *memory.trace, memory.color);
}

void DrawDifferenceScale(DrawingSurface &surface)
{
    for (int i = 0; i <= 8; ++i) {
        const int db = static_cast<int>(kDifferenceTopDb) - 10 * i;
        const float y = 1035.0f - static_cast<float>(i) * DivisionHeight;
        PrintAt(surface, -35, y, std::string(db > 0 ? " +" : db == 0 ? "  " : " ") + std::to_string(db));
    }
    PrintAt(surface, -46, -60, "[ dB ]");
}

void DrawDifferenceCaption(DrawingSurface &surface, const ScreenView &view)
{
    if (ShowsDifference(view))
        PrintAt(surface, kCaptionX, kCaptionY, view.difference->caption + " (dB)");
}

void DrawComparisonNotes(DrawingSurface &surface, const ScreenView &view)
{
    struct Note {
        const std::string *text;
        uint32_t color;
    };
    std::vector<Note> notes;
    const uint32_t text = view.colors ? view.colors->Text : 0;
    if (view.difference && !view.difference->note.empty())
        notes.push_back({&view.difference->note, text});
    for (const MemoryView &memory : view.memories)
        if (memory.trace && !memory.note.empty())
            notes.push_back({&memory.note, memory.color});
    std::vector<std::pair<std::string, uint32_t>> lines;
    for (const Note &note : notes)
        for (std::string &line : WrapNote(*note.text, kNoteWidth))
            lines.emplace_back(std::move(line), note.color);
    double y = kNoteFoot + kNoteLineStep * static_cast<double>(lines.size());
    for (const auto &[line, color] : lines) {
        y -= kNoteLineStep;
        surface.SetForeColor(color);
        PrintAt(surface, 5, y, line);
    }
    if (!lines.empty())
        surface.SetForeColor(text);
}

std::vector<std::string> WrapNote(const std::string &text, size_t width)
{
    std::vector<std::string> lines;
    std::string line;
    size_t at = 0;
    while (at < text.size()) {
        const size_t blank = text.find(' ', at);
        const std::string word = text.substr(at, blank == std::string::npos ? std::string::npos : blank - at);
        at = blank == std::string::npos ? text.size() : blank + 1;
        if (!line.empty() && line.size() + 1 + word.size() > width) {
            lines.push_back(std::move(line));
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty())
        lines.push_back(std::move(line));
    return lines;
}

}  // namespace tavrin
