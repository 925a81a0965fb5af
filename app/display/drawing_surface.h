// What the screen drawing draws on: the display window's kept picture, the printer page, or a
// recording surface in tests. Everything is addressed in screen units (x right, y up).
#pragma once

#include <cstdint>
#include <string>

namespace tavrin {

enum class DrawStyle { Solid = 0, Dotted = 2 };

class DrawingSurface {
public:
    virtual ~DrawingSurface() = default;

    virtual bool IsPrinter() const = 0;
    // Device pixels across one screen unit: what lies closer together than a pixel may be drawn
    // as one.
    virtual double PixelsPerUnit() const { return 1.0; }
    // Lines in the given colour (0x00BBGGRR) and the current line style; each leaves the current
    // point at its end.
    virtual void Line(double x1, double y1, double x2, double y2, uint32_t color) = 0;
    virtual void LineTo(double x, double y, uint32_t color) = 0;
    virtual void Rectangle(double x1, double y1, double x2, double y2, uint32_t color) = 0;
    virtual void FilledRectangle(double x1, double y1, double x2, double y2, uint32_t color) = 0;
    virtual void SetDrawStyle(DrawStyle style) = 0;
    // Text: colour, size in points, and the position of its upper left corner.
    virtual void SetForeColor(uint32_t color) = 0;
    virtual void SetFontSize(double points) = 0;
    virtual void SetTextPosition(double x, double y) = 0;
    virtual void Print(const std::string &text) = 0;
};

}  // namespace tavrin
