// The settings dialog's colour boxes and the palette they are painted from.
#pragma once

#include <QLabel>
#include <QWidget>
#include <cstdint>
#include <optional>

namespace tavrin {

// One colour box: its background is the colour; a mouse button released on it selects it.
class ColorBox : public QLabel {
    Q_OBJECT
public:
    ColorBox(const QString &accessibleName, QWidget *parent = nullptr);
    uint32_t Color() const { return color_; }
    void SetColor(uint32_t color);
    void SetSelected(bool selected);

signals:
    void selected();
    void doubleClicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;

private:
    void Restyle();

    uint32_t color_ = 0;
    bool selected_ = false;
};

// 16 x 5 colour cells over the whole widget; moving or releasing the mouse with the left button
// held picks the colour under the pointer.
class PaletteBox : public QWidget {
    Q_OBJECT
public:
    explicit PaletteBox(QWidget *parent = nullptr);
    // The colour under a point of the widget; none outside it.
    std::optional<uint32_t> ColorAt(QPoint point) const;

signals:
    void picked(uint32_t color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void Pick(QPoint point);
};

}  // namespace tavrin
