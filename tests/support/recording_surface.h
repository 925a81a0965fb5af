// A drawing surface that keeps everything drawn on it, with the line style, text colour and font
// size in force at the time, so tests can check what was drawn where.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "display/drawing_surface.h"

namespace tavrin::test {

struct DrawOp {
    enum class Kind { Line, LineTo, Rectangle, FilledRectangle, Style, ForeColor, FontSize, Print };
    Kind kind = Kind::Line;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // a LineTo from the current point; a Print's position in x1, y1
    uint32_t color = 0;                      // for Print and ForeColor the text colour
    DrawStyle style = DrawStyle::Solid;
    double fontSize = 0;
    std::string text;
};

class RecordingSurface : public DrawingSurface {
public:
    using Kind = DrawOp::Kind;
    explicit RecordingSurface(bool printer = false) : printer_(printer) {}

    bool IsPrinter() const override { return printer_; }
    void Line(double x1, double y1, double x2, double y2, uint32_t c) override { Add(Kind::Line, x1, y1, x2, y2, c); }
    void LineTo(double x, double y, uint32_t c) override { Add(Kind::LineTo, x_, y_, x, y, c); }
    void Rectangle(double x1, double y1, double x2, double y2, uint32_t c) override
    {
        Add(Kind::Rectangle, x1, y1, x2, y2, c);
    }
    void FilledRectangle(double x1, double y1, double x2, double y2, uint32_t c) override
    {
        Add(Kind::FilledRectangle, x1, y1, x2, y2, c);
    }
    void SetDrawStyle(DrawStyle style) override { style_ = style, Add(Kind::Style); }
    void SetForeColor(uint32_t color) override { textColor_ = color, Add(Kind::ForeColor, 0, 0, 0, 0, color); }
    void SetFontSize(double points) override { fontSize_ = points, Add(Kind::FontSize); }
    void SetTextPosition(double x, double y) override { textX_ = x, textY_ = y; }
    void Print(const std::string &text) override { Add(Kind::Print, textX_, textY_, 0, 0, textColor_).text = text; }

    std::vector<DrawOp> OfKind(std::initializer_list<Kind> kinds) const
    {
        std::vector<DrawOp> found;
        for (const DrawOp &op : ops_)
            if (std::find(kinds.begin(), kinds.end(), op.kind) != kinds.end())
                found.push_back(op);
        return found;
    }
    std::vector<DrawOp> Lines() const { return OfKind({Kind::Line, Kind::LineTo}); }
    // The texts printed at exactly these positions, position by position.
    std::vector<std::string> TextsAt(std::initializer_list<std::pair<double, double>> positions) const
    {
        std::vector<std::string> texts;
        for (auto [x, y] : positions)
            for (const DrawOp &op : ops_)
                if (op.kind == Kind::Print && op.x1 == x && op.y1 == y)
                    texts.push_back(op.text);
        return texts;
    }

private:
    DrawOp &Add(Kind kind, double x1 = 0, double y1 = 0, double x2 = 0, double y2 = 0, uint32_t color = 0)
    {
        if (kind == Kind::Line || kind == Kind::LineTo)
            x_ = x2, y_ = y2;
        return ops_.emplace_back(DrawOp{kind, x1, y1, x2, y2, color, style_, fontSize_, {}});
    }

    bool printer_;
    std::vector<DrawOp> ops_;
    DrawStyle style_ = DrawStyle::Solid;
    uint32_t textColor_ = 0;
    double fontSize_ = 0;
    double x_ = 0, y_ = 0, textX_ = 0, textY_ = 0;
};

}  // namespace tavrin::test
