#pragma once
// Painting a composed report: one page onto any QPainter (preview, printer), the whole report
// into a PDF file, or a page into an image.

#include "reports/Document.h"

#include <QImage>
#include <QString>

class QPainter;
class QPrinter;

namespace korvex::reports {

// Paints page `index` with the painter's coordinates in dots (scale the painter before).
void paintPage(QPainter& painter, const ReportDocument& document, int index);

// Writes every page to a PDF file. Returns an empty text, or the Spanish reason it failed.
QString writePdf(const ReportDocument& document, const QString& path);

// Prints the pages the printer's settings select (all, a range); the printer is already set
// up, for instance by QPrintDialog. Returns an empty text or the reason it failed.
QString printDocument(const ReportDocument& document, QPrinter& printer);

// A page as an image of the given width in pixels, white background.
QImage renderPage(const ReportDocument& document, int index, int widthPixels);

} // namespace korvex::reports
