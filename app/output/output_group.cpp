#include "output/output_group.h"

#include "common/color.h"
#include "common/dialogs.h"
#include "common/text_number.h"
#include "display/display_window.h"
#include "display/logo_picture.h"
#include "output/capture_file.h"
#include "output/printer_surface.h"
#include "settings/operation_file.h"
#include "widgets/panel_widgets.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <vector>

namespace tavrin {

namespace {

// The logo's place on the report page: upper left corner, width, height (downwards).
constexpr double kLogoLeft = -20, kLogoTop = 1350, kLogoWidth = 80, kLogoHeight = 230;

// The labels a capture or a report copies: those the last drawing left showing, which are the
// ticked markers whose frequency lies on the screen.
std::vector<int> LabelsShown(const DisplayWindow &display)
{
    std::vector<int> shown;
    for (int i = 0; i < kMarkerCount; ++i)
        if (display.Visible(i))
            shown.push_back(i);
    return shown;
}

QString Describe(const QPrinter &printer)
{
    if (!printer.outputFileName().isEmpty())
        return "to " + printer.outputFileName();
    return "on " + printer.printerName();
}

}  // namespace

OutputGroup::OutputGroup(Deps deps, QWidget *parent) : QWidget(parent), d_(std::move(deps))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    QPushButton *cmdShutter = Button(this, "cmdShutter", "Shutter");
    cmdShutter->setToolTip("Save Trace as JPEG File");
    QPushButton *cmdPrint = Button(this, "cmdPrint", "Print");
    row->addWidget(cmdShutter);
    row->addWidget(cmdPrint);
    connect(cmdShutter, &QPushButton::clicked, this, &OutputGroup::Shutter);
    connect(cmdPrint, &QPushButton::clicked, this, &OutputGroup::Print);
}

QImage OutputGroup::PictureWithLabels()
{
    QImage picture = d_.display.Picture().copy();
    if (picture.isNull())
        return picture;
    QPainter painter(&picture);
    for (int i : LabelsShown(d_.display)) {
        const QLabel *label = d_.display.Label(i);
        painter.drawPixmap(label->pos(), label->pixmap());
    }
    return picture;
}

QString OutputGroup::Capture()
{
    if (busy_)
        return {};
    // The dialogs run window events: a second click may come while this one is at work.
    const QScopedValueRollback engaged(busy_, true);
    BusyPointer pointer;
    const std::string folder = TrimSpaces(d_.settings.CaptureDir);
    QString file = QString::fromStdString(CaptureFileName(folder, d_.screenTime()));
    const QFileInfo folderInfo(QString::fromStdString(folder));
    if (!folderInfo.exists())
        return "Directory Error!";
    const QImage picture = PictureWithLabels();
    QString failure;
    if (!folderInfo.isDir()) {
        failure = folderInfo.filePath() + " is not a folder";
    } else if (const QString free = FreeFileName(file); free.isEmpty()) {
        failure = "all names for this screen time are taken";
    } else {
        file = free;
        failure = SaveCapture(picture, file);
    }
    d_.display.Redraw();
    // A capture that was not written must not look like a saved one.
    return failure.isEmpty() ? QString() : "The screen could not be saved as " + file + ": " + failure + ".";
}

void OutputGroup::Shutter()
{
    if (const QString failure = Capture(); !failure.isEmpty())
        d_.dialogs.ShowMessage("Warning", failure.toStdString());
}

void OutputGroup::Print()
{
    if (busy_)
        return;
    bool printed = true;
    QPrinter printer(QPrinter::HighResolution);
    {
        // The dialogs run window events: a second click may come while this one is at work.
        const QScopedValueRollback engaged(busy_, true);
        if (!d_.dialogs.SetUpPrinter(printer))
            return;
        BusyPointer pointer;
        printed = PrintOut(printer);
    }
    if (!printed)
        d_.dialogs.ShowMessage("Warning", ("The report could not be printed " + Describe(printer) + ".").toStdString());
}

bool OutputGroup::PrintOut(QPrinter &printer)
{
    PrinterSurface page(printer);
    if (!page.IsActive())
        return false;
    const OperationFile &op = d_.settings;
    page.SetFontSize(9);
    d_.draw(page);

    // On white paper, without touching the labels on the screen.
    const double labelWidth = 2 * d_.display.HalfWidth(), labelHeight = d_.display.Height();
    for (int i : LabelsShown(d_.display)) {
        const QPointF at = d_.display.ToScreen(d_.display.Label(i)->pos());
        const QPixmap label = DisplayWindow::LabelPixmap(i, Rgb(255, 255, 255), op.Colors.Marker, 1.0);
        page.DrawImage(label.toImage(), at.x(), at.y(), labelWidth, labelHeight);
    }

    const QRectF logoArea(page.Map(kLogoLeft, kLogoTop), page.Map(kLogoLeft + kLogoWidth, kLogoTop - kLogoHeight));
    const QSize fit = logoArea.normalized().size().toSize();
    page.DrawImage(LoadLogoPicture(TrimSpaces(op.LogoFile), fit), kLogoLeft, kLogoTop, kLogoWidth, kLogoHeight);

    page.SetFontSize(14);
    page.SetTextPosition(100, 1260);
    page.Print(TrimSpaces(op.ReportHeader));

    return page.End();
}

}  // namespace tavrin
