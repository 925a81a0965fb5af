#include "support/recording_surface.h"

#include <cmath>

namespace tavrin::test {

DrawOp RecordingSurface::Next(DrawOp::Kind kind) const
{
    DrawOp op;
    op.kind = kind;
    op.style = style_;
    op.fontSize = fontSize_;
    op.color = foreColor_;
    return op;
}

void RecordingSurface::Line(double x1, double y1, double x2, double y2, uint32_t color)
{
    DrawOp op = Next(DrawOp::Kind::Line);
    op.x1 = x1, op.y1 = y1, op.x2 = x2, op.y2 = y2, op.color = color;
    ops_.push_back(op);
    currentX_ = x2, currentY_ = y2;
}

void RecordingSurface::LineTo(double x, double y, uint32_t color)
{
    DrawOp op = Next(DrawOp::Kind::LineTo);
    op.x1 = currentX_, op.y1 = currentY_, op.x2 = x, op.y2 = y, op.color = color;
    ops_.push_back(op);
    currentX_ = x, currentY_ = y;
}

void RecordingSurface::Rectangle(double x1, double y1, double x2, double y2, uint32_t color)
{
    DrawOp op = Next(DrawOp::Kind::Rectangle);
    op.x1 = x1, op.y1 = y1, op.x2 = x2, op.y2 = y2, op.color = color;
    ops_.push_back(op);
}

void RecordingSurface::FilledRectangle(double x1, double y1, double x2, double y2, uint32_t color)
{
    DrawOp op = Next(DrawOp::Kind::FilledRectangle);
    op.x1 = x1, op.y1 = y1, op.x2 = x2, op.y2 = y2, op.color = color;
    ops_.push_back(op);
}

void RecordingSurface::SetDrawStyle(DrawStyle style)
{
    style_ = style;
    ops_.push_back(Next(DrawOp::Kind::Style));
}

void RecordingSurface::SetForeColor(uint32_t color)
{
    foreColor_ = color;
    ops_.push_back(Next(DrawOp::Kind::ForeColor));
}

void RecordingSurface::SetFontSize(double points)
{
    fontSize_ = points;
    ops_.push_back(Next(DrawOp::Kind::FontSize));
}

void RecordingSurface::SetTextPosition(double x, double y)
{
    textX_ = x, textY_ = y;
    DrawOp op = Next(DrawOp::Kind::TextPosition);
    op.x1 = x, op.y1 = y;
    ops_.push_back(op);
}

void RecordingSurface::Print(const std::string &text)
{
    DrawOp op = Next(DrawOp::Kind::Print);
    op.x1 = textX_, op.y1 = textY_, op.text = text;
    ops_.push_back(op);
}

std::vector<DrawOp> RecordingSurface::OfKind(DrawOp::Kind kind) const
{
    std::vector<DrawOp> found;
    for (const DrawOp &op : ops_) {
        if (op.kind == kind)
            found.push_back(op);
    }
    return found;
}

std::vector<DrawOp> RecordingSurface::Lines() const
{
    std::vector<DrawOp> found;
    for (const DrawOp &op : ops_) {
        if (op.kind == DrawOp::Kind::Line || op.kind == DrawOp::Kind::LineTo)
            found.push_back(op);
    }
    return found;
}

std::vector<DrawOp> RecordingSurface::Texts() const { return OfKind(DrawOp::Kind::Print); }

std::vector<std::string> RecordingSurface::TextsAt(double x, double y) const
{
    std::vector<std::string> found;
    for (const DrawOp &op : ops_) {
        if (op.kind == DrawOp::Kind::Print && op.x1 == x && op.y1 == y)
            found.push_back(op.text);
    }
    return found;
}

std::vector<DrawOp> RecordingSurface::TextsOnRow(double y) const
{
    std::vector<DrawOp> found;
    for (const DrawOp &op : ops_) {
        if (op.kind == DrawOp::Kind::Print && op.y1 == y)
            found.push_back(op);
    }
    return found;
}

bool RecordingSurface::AnyNonFinite() const
{
    for (const DrawOp &op : ops_) {
        if (!std::isfinite(op.x1) || !std::isfinite(op.y1) || !std::isfinite(op.x2) || !std::isfinite(op.y2))
            return true;
    }
    return false;
}

}  // namespace tavrin::test
