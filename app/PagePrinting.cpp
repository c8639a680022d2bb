#include "PagePrinting.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QScreen>

#include "CLeafDoc.h"
#include "DisplayImage.h"
#include "UserPrompts.h"
#include "ZoomLevel.h"
#include "image/Messages.h"

namespace leaf {

PrintInput PrintInputFor(const QPrinter& printer, const CLeafDoc& doc, int zoom,
                         const AppSettings& settings) {
  PrintInput input;
  const QSize size = doc.fullSize();
  input.width = size.width();
  input.height = size.height();
  input.xDpi = doc.image().raster.xResolution;
  input.yDpi = doc.image().raster.yResolution;
  input.printSize = settings.printSize;
  input.shrink = settings.shrinkPrint != 0;
  input.zoomPercent = ZoomPercent(zoom);
  input.printerXDpi = printer.logicalDpiX();
  input.printerYDpi = printer.logicalDpiY();
  const QRectF area = printer.pageLayout().paintRect(QPageLayout::Millimeter);
  input.printableWidthMm = area.width();
  input.printableHeightMm = area.height();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    input.screenXDpi = screen->physicalDotsPerInchX();
    input.screenYDpi = screen->physicalDotsPerInchY();
  }
  return input;
}

bool PrintDocumentPage(QPrinter& printer, CLeafDoc& doc, int zoom, const AppSettings& settings,
                       CUserPrompts& prompts) {
  if (!doc.hasImage()) return false;
  PrintInput input = PrintInputFor(printer, doc, zoom, settings);
  PrintCheck check = CheckPrintInput(input);
  if (check == PrintCheck::UnknownResolution) {
    if (!prompts.askYesNo(QObject::tr("The original document resolution is unknown.\nDo you want "
                                      "to try to reproduce the displayed\nimage size instead?"))) {
      return false;
    }
    input.printSize = kPrintScreenSize;  // for this page only
    check = CheckPrintInput(input);
  }
  if (check == PrintCheck::UnknownPrintSize) {
    prompts.showError(QObject::tr("Unknown print size setting!"));
    return false;
  }
  if (check != PrintCheck::Ok) return false;
  DibImage page;
  if (!doc.pageForPrinting(page)) {
    prompts.showError(QObject::tr("Failed to print the image!"), QString::fromUtf8(LastMessage()));
    return false;
  }
  const PrintPlacement placement = PlacePrintedPage(input);
  const DisplayImage shown = DisplayImageFor(page.raster);
  if (shown.image.isNull()) return false;
  QPainter painter;
  if (!painter.begin(&printer)) {
    prompts.showError(QObject::tr("Failed to print the image!"),
                      QObject::tr("The printer could not be started."));
    return false;
  }
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  // Stored bottom-up rows are drawn upside down into place.
  painter.translate(placement.left, placement.top + (shown.bottomUp ? placement.height : 0));
  if (shown.bottomUp) painter.scale(1, -1);
  painter.drawImage(QRect(0, 0, placement.width, placement.height), shown.image);
  painter.end();
  return true;
}

}  // namespace leaf
