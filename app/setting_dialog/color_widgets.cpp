#include "setting_dialog/color_widgets.h"

#include "common/color_qt.h"

#include "setting_dialog/setting_rules.h"

#include <QMouseEvent>
#include <QPainter>

namespace tavrin {

ColorBox::ColorBox(const QString &accessibleName, QWidget *parent) : QLabel(parent)
{
    setAccessibleName(accessibleName);
    setFixedSize(48, 20);
    setFocusPolicy(Qt::StrongFocus);
    Restyle();
}

void ColorBox::SetColor(uint32_t color)
{
    color_ = color;
    Restyle();
}

void ColorBox::SetSelected(bool selected)
{
    selected_ = selected;
    Restyle();
}

void ColorBox::Restyle()
{
    // The selected box is the one the palette paints: it carries a thick border.
    setStyleSheet(QString("background-color: %1; border: %2px solid %3;")
                      .arg(ToQColor(color_).name(), selected_ ? "3" : "1", selected_ ? "#0050c0" : "#808080"));
}

void ColorBox::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    emit selected();
}

void ColorBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLabel::mouseDoubleClickEvent(event);
    emit doubleClicked();
}

void ColorBox::focusInEvent(QFocusEvent *event)
{
    // Reached with the keyboard: selected as a click would.
    QLabel::focusInEvent(event);
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        emit selected();
}

PaletteBox::PaletteBox(QWidget *parent) : QWidget(parent)
{
    setObjectName("Picture1");
    setAccessibleName("Color palette");
    setMinimumSize(kPaletteColumns * 14, kPaletteRows * 14);
    setCursor(Qt::CrossCursor);
}

std::optional<uint32_t> PaletteBox::ColorAt(QPoint p) const
{
    if (!rect().contains(p))
        return std::nullopt;
    // The cell whose painted area holds the point, with the edges rounded as painted.
    auto cell = [](int at, int extent, int count) {
        int i = 0;
        while (i + 1 < count && (i + 1) * extent / count <= at)
            ++i;
        return i;
    };
    return PaletteColor(cell(p.x(), width(), kPaletteColumns), cell(p.y(), height(), kPaletteRows));
}

void PaletteBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    for (int row = 0; row < kPaletteRows; ++row)
        for (int column = 0; column < kPaletteColumns; ++column) {
            const QRect cell(QPoint(column * width() / kPaletteColumns, row * height() / kPaletteRows),
                             QPoint((column + 1) * width() / kPaletteColumns - 1,
                                    (row + 1) * height() / kPaletteRows - 1));
            painter.fillRect(cell, ToQColor(PaletteColor(column, row)));
        }
}

void PaletteBox::Pick(QPoint point)
{
    if (auto color = ColorAt(point))
        emit picked(*color);
}

void PaletteBox::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        Pick(event->position().toPoint());
}

void PaletteBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        Pick(event->position().toPoint());
}

}  // namespace tavrin
