// Printing the document's page on one sheet, for Print and Print Preview:
// the size from the "PrintSize" and "ShrinkPrint" settings (PrintLayout.h),
// the page's true pixels drawn in place.
#pragma once

#include "AppSettings.h"
#include "PrintLayout.h"

class CLeafDoc;
class CUserPrompts;
class QPrinter;

namespace leaf {

// The layout's input for a printer, the document's page, the view's zoom and
// the screen's physical resolution.
PrintInput PrintInputFor(const QPrinter& printer, const CLeafDoc& doc, int zoom,
                         const AppSettings& settings);

// Prints the page on the printer. An image of unknown resolution printed at
// its original size first asks whether to print it at its screen size
// instead (No: nothing is printed). False when nothing was printed.
bool PrintDocumentPage(QPrinter& printer, CLeafDoc& doc, int zoom, const AppSettings& settings,
                       CUserPrompts& prompts);

}  // namespace leaf
