#include "waterfall/waterfall_view.h"

#include "common/date_format.h"
#include "common/dialogs.h"
#include "common/number_format.h"
#include "common/program_folder.h"
#include "common/safe_file.h"

#include <QBuffer>
#include <QApplication>
#include <QImageWriter>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>
#include <filesystem>
#include <optional>

namespace tavrin {

namespace {

constexpr char kTitle[] = "Save waterfall as";
constexpr QRgb kText = 0xffe0e0e0, kTick = 0xff909090;

std::string LevelText(const Trace &t, double below)
{
    return PlainDecimal(t.settings.refLevelDbm + (t.dBu ? 107 : 0) - below) + (t.dBu ? " dBu" : " dBm");
}

std::string WithPngSuffix(const std::string &name)
{
    const size_t dot = name.rfind('.'), slash = name.rfind('/');
    const bool hasSuffix = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return hasSuffix ? name : name + ".png";
}

}  // namespace

WaterfallView::WaterfallView(QWidget *parent) : QWidget(parent)
{
    setWindowTitle("Waterfall");
    setObjectName("frmWaterfall");
    setAccessibleName("Waterfall");
    setAccessibleDescription(QString::fromStdString(rows_.Description()));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 120);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    bar_ = QImage(1, kTopLevelValue + 1, QImage::Format_RGB32);
    for (int level = 0; level <= kTopLevelValue; ++level)
        bar_.setPixel(0, kTopLevelValue - level, picture_.Color(level));
}

void WaterfallView::Fit()
{
    const qreal ratio = devicePixelRatioF();
    if (size() == fitted_ && ratio == fittedRatio_)
        return;
    // The times fit into the column left of the rows.
    QFont f = font();
    const qreal room = width() * 50.0 / 570 - 3;
    for (int px = 11; px >= 7; --px) {
        f.setPixelSize(px);
        if (QFontMetrics(f).horizontalAdvance("00:00:00") <= room)
            break;
    }
    const int line = QFontMetrics(f).height();
    const WaterfallLayout l = LayOut(size(), ratio, line);
    if (l.picture.isEmpty() || l.columns <= 0)
        return;  // folded away: the rows are kept for the way back
    layout_ = l, font_ = f, fitted_ = size(), fittedRatio_ = ratio;
    const int band = static_cast<int>(std::ceil((line + 2) * ratio));
    rows_.SetHeights({l.picture.height(), band, 3 * band});
    picture_.Resize(l, ratio, f);
    picture_.Redraw(rows_);
}

void WaterfallView::resizeEvent(QResizeEvent *) { Fit(); }

void WaterfallView::Add(const Trace &trace)
{
    Fit();
    const size_t came = rows_.Add(trace);
    const auto &rows = rows_.Rows();
    int moved = 0;  // device pixel rows
    bool labelled = false;
    for (size_t i = rows.size() - std::min(came, rows.size()); i < rows.size(); ++i) {
        picture_.Push(rows[i], rows_.HeightOf(rows[i]));
        moved += rows_.HeightOf(rows[i]);
        labelled = labelled || rows[i].timeLabel;
    }
    setAccessibleDescription(QString::fromStdString(rows_.Description()));
    // The window's own pixels move along with the picture: only the new rows, a time written
    // below them and the texts above and below the picture are painted again.
    const qreal ratio = devicePixelRatioF();
    const QRect picture(0, layout_.header, static_cast<int>(layout_.picture.width() / ratio),
                        static_cast<int>(layout_.picture.height() / ratio));
    const int down = static_cast<int>(moved / ratio);
    if (!isVisible() || down * ratio != moved || down >= picture.height()) {
        update();
        return;
    }
    scroll(0, down, picture);
    if (labelled)
        update(QRect(0, picture.top(), static_cast<int>(layout_.firstColumn / ratio), rows_.GetHeights().band));
    update(QRect(0, 0, width(), layout_.header));
    update(QRect(0, height() - layout_.footer, width(), layout_.footer));
}

void WaterfallView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        pressedAt_ = event->position();
}

void WaterfallView::mouseMoveEvent(QMouseEvent *event)
{
    emit pointerMoved(event->position().x(), event->position().y());
}

void WaterfallView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !pressedAt_)
        return;
    // A press and release in one place: a click, not the end of a drag.
    const QPointF from = *std::exchange(pressedAt_, std::nullopt);
    if ((event->position() - from).manhattanLength() < QApplication::startDragDistance())
        emit pointClicked(from.x(), from.y());
}

void WaterfallView::leaveEvent(QEvent *event)
{
    emit pointerLeft();
    QWidget::leaveEvent(event);
}

void WaterfallView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    Paint(p);
}

QImage WaterfallView::Render() const
{
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter p(&image);
    Paint(p);
    return image;
}

void WaterfallView::Paint(QPainter &p) const
{
    p.fillRect(rect(), QColor::fromRgb(WaterfallPicture::kTimeColumn));
    p.drawImage(QPointF(0, layout_.header), picture_.Image());
    PaintScale(p);
    p.setFont(font_);
    const qreal left = layout_.firstColumn / devicePixelRatioF();
    const QRectF head(left, 0, width() - left - 3, layout_.header - 5);
    const QRectF foot(left, height() - layout_.footer, head.width(), layout_.footer);
    p.setPen(QColor::fromRgb(kTick));
    for (int division = 0; division <= 10; ++division) {
        const qreal x = width() * (50 + division * DivisionWidth) / 570;
        p.drawLine(QPointF(x, layout_.header - 4), QPointF(x, layout_.header - 1));
    }
    p.setPen(QColor::fromRgb(kText));
    const Trace *newest = rows_.Newest();
    if (!newest) {
        p.drawText(head, Qt::AlignLeft | Qt::AlignVCenter, "Waterfall: no traces yet");
        return;
    }
    const bool played = newest->kind == TraceKind::Playback;
    p.drawText(head, Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(SettingsText(newest->settings, newest->dBu) + (played ? "  (playback)" : "")));
    p.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, QString::fromStdString(FormatScreenTime(newest->time)));
    // The scale's ends: the reference level on top, 80 dB below it at the bottom.
    p.drawText(head, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(LevelText(*newest, 0)));
    p.drawText(foot, Qt::AlignRight | Qt::AlignVCenter, QString::fromStdString(LevelText(*newest, 80)));
}

void WaterfallView::PaintScale(QPainter &p) const
{
    const QRectF &bar = layout_.scale;
    if (bar.height() <= 0)
        return;
    p.drawImage(bar, bar_);
    // A tick every 10 dB.
    p.setPen(QColor::fromRgb(WaterfallPicture::kEmpty));
    for (int step = 1; step < 8; ++step) {
        const qreal y = bar.top() + bar.height() * step / 8;
        p.drawLine(QPointF(bar.left(), y), QPointF(bar.right(), y));
    }
}

void WaterfallView::SaveAs(UserDialogs &dialogs, const std::string &folder)
{
    const Trace *newest = rows_.Newest();
    const std::string proposed =
        JoinPath(folder, "waterfall_" + FormatFileTime(newest ? newest->time : std::time(nullptr)) + ".png");
    std::optional<std::string> path;
    while (!path) {
        const std::optional<std::string> name = dialogs.SaveFileName(kTitle, "PNG pictures (*.png)", proposed);
        if (!name || name->empty())
            return;
        namespace fs = std::filesystem;
        std::error_code ec;
        const std::string file = WithPngSuffix(*name);
        const fs::file_status status = fs::symlink_status(file, ec);
        if (fs::is_directory(status))
            dialogs.ShowMessage(kTitle, file + " is a folder. Choose a file name.");
        else if (!fs::exists(status) || dialogs.AskYesNo(kTitle, file + " exists. Replace it?"))
            path = file;  // replaced by the write itself: a failed save leaves the old file whole
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    std::string error;
    bool saved = writer.write(Render());
    if (!saved)
        error = writer.errorString().toStdString();
    else
        saved = ReplaceFileDurably(*path, reinterpret_cast<const uint8_t *>(bytes.constData()),
                                   static_cast<size_t>(bytes.size()), &error);
    if (!saved)
        dialogs.ShowMessage(kTitle, "The waterfall could not be saved as " + *path + ": " + error + ".");
}

}  // namespace tavrin
