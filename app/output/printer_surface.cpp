#include "output/printer_surface.h"

#include <algorithm>

namespace tavrin {

PainterSurface::Pens PrinterSurface::PrinterPens(int resolution)
{
    double dpi = std::max(1, resolution);
    return Pens{dpi / 72.0, 1.0, std::max(1.0, dpi / 96.0)};
}

PrinterSurface::PrinterSurface(QPrinter &printer) : PainterSurface(printer, kScale, PrinterPens(printer.resolution()))
{
}

}  // namespace tavrin
