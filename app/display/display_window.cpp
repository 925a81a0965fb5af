#include "display/display_window.h"

#include "common/color_qt.h"
#include "common/number_format.h"
#include "display/picture_surface.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace tavrin {

namespace {

constexpr char kLabelMime[] = "application/x-tavrin-marker-label";

}  // namespace

DisplayWindow::DisplayWindow(QWidget *parent) : QWidget(parent)
{
    setWindowTitle("Display");
    setAcceptDrops(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int i = 0; i < kMarkerCount; ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QString("picMKR%1").arg(i));
        label->setFixedSize(kLabelWidthPx, kLabelHeightPx);
        label->setCursor(Qt::OpenHandCursor);
        label->installEventFilter(this);
        label->hide();
        labels_[static_cast<size_t>(i)] = label;
    }
    MakeScreenMenu();
}

bool DisplayWindow::Minimized() const
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()); sub && sub->isMinimized())
        return true;
    return isMinimized() || width() <= 0 || height() <= 0;
}

QPointF DisplayWindow::ToDevice(double x, double y) const
{
    return {(x - scale_.left) / scale_.width * width(), (y - scale_.top) / scale_.height * height()};
}

QPointF DisplayWindow::ToScreen(QPointF d) const
{
    return {scale_.left + d.x() / std::max(1, width()) * scale_.width,
            scale_.top + d.y() / std::max(1, height()) * scale_.height};
}

void DisplayWindow::FitLabels()
{
    labelHalfWidth_ = kLabelWidthPx / 2.0 * scale_.width / width();
    labelHeight_ = kLabelHeightPx * -scale_.height / height();
    for (int i = 0; i < kMarkerCount; ++i)
        PlaceLabelWidget(i);
}

void DisplayWindow::resizeEvent(QResizeEvent *)
{
    if (Minimized())
        return;
    FitLabels();
    Redraw();
}

void DisplayWindow::SetBottom(double bottom)
{
    if (bottom == Bottom())
        return;
    scale_ = PictureSurface::ScaleTo(bottom);
    if (Minimized())
        return;
    FitLabels();
    Redraw();
}

void DisplayWindow::showEvent(QShowEvent *)
{
    // Also the way back from a minimised window: drawn once again.
    Redraw();
}

void DisplayWindow::Redraw()
{
    if (Minimized())
        return;
    const qreal ratio = devicePixelRatioF();
    if (picture_.size() != size() * ratio) {
        picture_ = QImage(size() * ratio, QImage::Format_RGB32);
        picture_.setDevicePixelRatio(ratio);
    }
    Draw(true);
}

void DisplayWindow::DrawOver()
{
    if (!Minimized() && !picture_.isNull())
        Draw(false);
}

void DisplayWindow::Draw(bool clear)
{
    {
        PictureSurface surface(picture_, scale_);
        if (clear)
            surface.Clear(base_);
        if (drawer_)
            drawer_(surface);
    }
    ++redraws_;
    update();
}

void DisplayWindow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (picture_.isNull())
        p.fillRect(rect(), ToQColor(base_));
    else
        p.drawImage(0, 0, picture_);
    PaintBand(p);
}

QPixmap DisplayWindow::LabelPixmap(int index, uint32_t background, uint32_t marker, qreal ratio)
{
    // Drawn in the label's own units (twips, y down), 200 x 300.
    QPixmap pm(QSize(kLabelWidthPx, kLabelHeightPx) * ratio);
    pm.setDevicePixelRatio(ratio);
    pm.fill(ToQColor(background));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.scale(kLabelWidthPx / 200.0, kLabelHeightPx / 300.0);
    QPen pen(ToQColor(marker));
    pen.setWidthF(0);
    p.setPen(pen);
    QFont font = p.font();
    font.setPixelSize(150);
    p.setFont(font);
    p.drawText(QRectF(20, 0, 200, 150), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(NumberPrintForm(index + 1)));
    p.drawLine(QPointF(0, 150), QPointF(180, 150));
    p.drawLine(QPointF(89, 290), QPointF(0, 150));
    p.drawLine(QPointF(89, 290), QPointF(180, 150));
    p.end();
    return pm;
}

void DisplayWindow::MakeLabels(uint32_t background, uint32_t marker)
{
    for (int i = 0; i < kMarkerCount; ++i)
        labels_[static_cast<size_t>(i)]->setPixmap(LabelPixmap(i, background, marker, devicePixelRatioF()));
}

void DisplayWindow::Show(int index, bool visible)
{
    if (index < 0 || index >= kMarkerCount)
        return;
    labels_[static_cast<size_t>(index)]->setVisible(visible);
}

bool DisplayWindow::Visible(int index) const
{
    if (index < 0 || index >= kMarkerCount)
        return false;
    return labels_[static_cast<size_t>(index)]->isVisibleTo(this);
}

void DisplayWindow::Move(int index, double left, double top)
{
    if (index < 0 || index >= kMarkerCount)
        return;
    labelPos_[static_cast<size_t>(index)] = QPointF(left, top);
    PlaceLabelWidget(index);
}

void DisplayWindow::PlaceLabelWidget(int index)
{
    const QPointF pos = labelPos_[static_cast<size_t>(index)];
    const QPointF d = ToDevice(pos.x(), pos.y());
    labels_[static_cast<size_t>(index)]->move(static_cast<int>(std::lround(d.x())), static_cast<int>(std::lround(d.y())));
}

void DisplayWindow::GrabLabel(int, QPointF posInLabel)
{
    dragOffsetX_ = static_cast<float>(scale_.width * posInLabel.x() / std::max(1, width()));
    dragOffsetY_ = static_cast<float>(scale_.height * posInLabel.y() / std::max(1, height()));
}

void DisplayWindow::DropLabel(int index, double x, double y)
{
    if (index < 0 || index >= kMarkerCount)
        return;
    if (!(x >= 0))  // also NaN
        x = 0;
    if (x > 498)
        x = 498;
    Move(index, x - dragOffsetX_, y - dragOffsetY_);
    if (dropHandler_)
        dropHandler_(index, x);
}

bool DisplayWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return QWidget::eventFilter(watched, event);
    for (int i = 0; i < kMarkerCount; ++i) {
        QLabel *label = labels_[static_cast<size_t>(i)];
        if (watched != label)
            continue;
        auto *me = static_cast<QMouseEvent *>(event);
        GrabLabel(i, me->position());
        auto *drag = new QDrag(label);
        auto *mime = new QMimeData;
        mime->setData(kLabelMime, QByteArray::number(i));
        drag->setMimeData(mime);
        drag->setPixmap(label->pixmap());
        drag->setHotSpot(me->position().toPoint());
        drag->exec(Qt::MoveAction);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void DisplayWindow::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasFormat(kLabelMime))
        event->acceptProposedAction();
}

void DisplayWindow::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasFormat(kLabelMime))
        event->acceptProposedAction();
}

void DisplayWindow::dropEvent(QDropEvent *event)
{
    if (!event->mimeData()->hasFormat(kLabelMime))
        return;
    bool ok = false;
    const int index = event->mimeData()->data(kLabelMime).toInt(&ok);
    if (!ok)
        return;
    const QPointF s = ToScreen(event->position());
    DropLabel(index, s.x(), s.y());
    event->acceptProposedAction();
}

}  // namespace tavrin
