// The printed report's page as a drawing surface.
#pragma once

#include <QPrinter>

#include "display/picture_surface.h"

namespace tavrin {

// x -200..700 across the printable width and y 1500 (top) .. -2000 (bottom) down its height, so the
// screen keeps its own coordinates in the upper part of the page with room above it for the logo
// and the header. Fonts are in points at the printer's resolution.
class PrinterSurface : public PainterSurface {
public:
    // Starts the job on printer; End() sends the page. The printer must outlive the surface.
    explicit PrinterSurface(QPrinter &printer);

    bool IsPrinter() const override { return true; }

    static constexpr LogicalScale kScale{-200, 1500, 900, -3500};
    // A line as wide as a pixel of the screen, not a hairline of a fine printer.
    static Pens PrinterPens(int resolution);
};

}  // namespace tavrin
