#include "platform/ChartPrint.h"

#include "platform/Dialogs.h"
#include "platform/SystemText.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

TPrinterLookup &PrinterLookup()
{
    static TPrinterLookup lookup;
    return lookup;
}

} // namespace

void SetPrinterLookup(TPrinterLookup lookup) { PrinterLookup() = std::move(lookup); }

void TChartPrint::SetMargins(int left, int top, int right, int bottom)
{
    auto pct = [](int v) { return std::clamp(v, 0, 45); }; // leave the chart some room
    MarginsValue = QRect(pct(left), pct(top), pct(right), pct(bottom));
}

void TChartPrint::DrawPage(QPainter &painter, const QRect &pageRect, const QSize &screen,
                           const TChartDrawing &draw) const
{
    const QRect &m = MarginsValue;
    const QRect inner(pageRect.left() + pageRect.width() * m.x() / 100,
                      pageRect.top() + pageRect.height() * m.y() / 100,
                      pageRect.width() * (100 - m.x() - m.width()) / 100,
                      pageRect.height() * (100 - m.y() - m.height()) / 100);
    if (inner.width() <= 0 || inner.height() <= 0)
        return;
    // Lay the chart out at screen detail, then scale it to the device.
    const int detail = ResolutionValue == 0 ? 100 : std::clamp(std::abs(ResolutionValue), 10, 1000);
    const int dpi = painter.device() ? painter.device()->logicalDpiX() : 96;
    const double scale = std::max(dpi / 96.0 * 100.0 / detail, 0.01);
    QSizeF logical(inner.width() / scale, inner.height() / scale);
    QPointF origin = inner.topLeft();
    if (ProportionalValue && screen.width() > 0 && screen.height() > 0) {
        const QSizeF fitted = QSizeF(screen).scaled(logical, Qt::KeepAspectRatio);
        origin += QPointF((logical.width() - fitted.width()) * scale / 2,
                          (logical.height() - fitted.height()) * scale / 2);
        logical = fitted;
    }
    painter.save();
    painter.setClipRect(inner);
    painter.translate(origin);
    painter.scale(scale, scale);
    const QSize size(static_cast<int>(std::ceil(logical.width())), static_cast<int>(std::ceil(logical.height())));
    draw(painter, QRect(QPoint(0, 0), size));
    painter.restore();
}

bool TChartPrint::PrintLandscapeTo(QPrinter &printer, const QSize &screen, const TChartDrawing &draw) const
{
    const QPageLayout::Orientation oldOrientation = printer.pageLayout().orientation();
    const bool oldFullPage = printer.fullPage();
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setFullPage(true); // the margins are ours, in percent of the paper
    QPainter painter;
    const bool opened = painter.begin(&printer);
    if (opened) {
        DrawPage(painter, QRect(QPoint(0, 0), printer.paperRect(QPrinter::DevicePixel).size().toSize()), screen,
                 draw);
        painter.end();
    }
    printer.setFullPage(oldFullPage);
    printer.setPageOrientation(oldOrientation);
    return opened;
}

bool TChartPrint::PrintLandscape(QWidget *owner, const QSize &screen, const TChartDrawing &draw) const
{
    const TPrinterLookup &lookup = PrinterLookup();
    const QPrinterInfo info = lookup ? lookup() : QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        Dialogs().MessageDlg(owner, "Print", "No printer is installed, so the chart cannot be printed.", mtError, mbOK);
        return false;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    if (!PrintLandscapeTo(printer, screen, draw)) {
        Dialogs().MessageDlg(owner, "Print", "The printer \"" + FromQ(info.printerName()) + "\" could not be started.",
                             mtError, mbOK);
        return false;
    }
    return true;
}
