// The waterfall window: the last minutes of traces as rows of colours, newest on top, with the
// time beside every few rows, a band where the rows change meaning (settings, playback) or where
// traces were missing, and the colour scale at its right side.
#pragma once

#include "waterfall/waterfall_picture.h"
#include "waterfall/waterfall_rows.h"

#include <QWidget>
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

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

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
};

}  // namespace tavrin
