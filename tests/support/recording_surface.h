// A drawing surface that keeps a list of everything drawn on it, with the style, colour and font
// size in force at the time, so tests can check what was drawn where.
#pragma once

#include <string>
#include <vector>

#include "measure/drawing_surface.h"

namespace tavrin::test {

struct DrawOp {
    enum class Kind { Line, LineTo, Rectangle, FilledRectangle, Style, ForeColor, FontSize, TextPosition, Print };
    Kind kind = Kind::Line;
    // Lines (LineTo too: from the current point), rectangles; a Print's text position in x1, y1.
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    uint32_t color = 0;  // of the line or rectangle; for Print and ForeColor the text colour
    DrawStyle style = DrawStyle::Solid;
    double fontSize = 0;
    std::string text;
};

class RecordingSurface : public DrawingSurface {
public:
    explicit RecordingSurface(bool printer = false) : printer_(printer) {}

    bool IsPrinter() const override { return printer_; }
    void Line(double x1, double y1, double x2, double y2, uint32_t color) override;
    void LineTo(double x, double y, uint32_t color) override;
    void Rectangle(double x1, double y1, double x2, double y2, uint32_t color) override;
    void FilledRectangle(double x1, double y1, double x2, double y2, uint32_t color) override;
    void SetDrawStyle(DrawStyle style) override;
    void SetForeColor(uint32_t color) override;
    void SetFontSize(double points) override;
    void SetTextPosition(double x, double y) override;
    void Print(const std::string &text) override;

    const std::vector<DrawOp> &Ops() const { return ops_; }
    std::vector<DrawOp> OfKind(DrawOp::Kind kind) const;
    // Line and LineTo as segments.
    std::vector<DrawOp> Lines() const;
    std::vector<DrawOp> Texts() const;
    // The texts printed at exactly this position, in order.
    std::vector<std::string> TextsAt(double x, double y) const;
    // The texts printed on row y, whatever their x.
    std::vector<DrawOp> TextsOnRow(double y) const;
    // Whether any recorded coordinate is NaN or infinite.
    bool AnyNonFinite() const;

private:
    DrawOp Next(DrawOp::Kind kind) const;

    bool printer_;
    std::vector<DrawOp> ops_;
    DrawStyle style_ = DrawStyle::Solid;
    uint32_t foreColor_ = 0;
    double fontSize_ = 0;
    double currentX_ = 0, currentY_ = 0;
    double textX_ = 0, textY_ = 0;
};

}  // namespace tavrin::test
