// The waterfall window: the last minutes of traces as rows of colours, newest on top, with the
// time beside every few rows, a band where the rows change meaning (settings, playback) or where
// traces were missing, and the colour scale at its right side.
#pragma once

#include "waterfall/waterfall_picture.h"
#include "waterfall/waterfall_rows.h"

#include <QWidget>
#include <optional>
#include <string>

namespace tavrin {

class UserDialogs;

class WaterfallView : public QWidget {
    Q_OBJECT
public:
    explicit WaterfallView(QWidget *parent = nullptr);

    // A trace the screen showed: its bands and its row on top.
    void Add(const Trace &trace);
    // The window's picture as it is shown: header, rows, scale and footer.
    QImage Render() const;
    // Asks for a file name, and before replacing a file, and writes the window's picture there as
    // a PNG file; a failure is told. The name proposed lies in folder.
    void SaveAs(UserDialogs &dialogs, const std::string &folder);

    const WaterfallRows &Rows() const { return rows_; }
    const WaterfallPicture &Picture() const { return picture_; }
    const WaterfallLayout &Layout() const { return layout_; }
    // Where the rows stand, as the pointer rules read it.
    WaterfallGeometry Geometry() const { return PointerGeometry(layout_, fittedRatio_); }

signals:
    // The pointer moved to (x, y) in the window's logical pixels, or left the window.
    void pointerMoved(double x, double y);
    void pointerLeft();
    // Pressed and released in one place.
    void pointClicked(double x, double y);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    void Fit();
    void Paint(QPainter &p) const;
    void PaintScale(QPainter &p) const;

    WaterfallRows rows_;
    WaterfallPicture picture_;
    WaterfallLayout layout_;
    QFont font_;
    QImage bar_;  // the colour scale, one level step a pixel row, the reference level on top
    QSize fitted_;
    qreal fittedRatio_ = 0;
    std::optional<QPointF> pressedAt_;  // while the left button is down
};

}  // namespace tavrin
