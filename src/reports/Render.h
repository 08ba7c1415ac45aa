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

// Writes every page to a PDF file: into a temporary file beside it, every write checked, renamed
// over the target only when complete, so a failure leaves an earlier file as it was. Returns an
// empty text, or the Spanish reason it failed.
QString writePdf(const ReportDocument& document, const QString& path);
// Why a report must not be written at path ("" when it may): its folder is missing, it is a
// project database, not a regular file (a folder, a device), or a non-empty file that is no PDF.
QString pdfTargetProblem(const QString& path);

namespace testing {
// Makes PDF writes fail, as on a full disk, once that many more bytes are written; -1 stops it.
void failPdfWritesAfter(qint64 bytes);
} // namespace testing

// Prints the pages the printer's settings select (all, a range); the printer is already set
// up, for instance by QPrintDialog. Returns an empty text or the reason it failed.
QString printDocument(const ReportDocument& document, QPrinter& printer);
// The pages, numbered from 1, that the printer's settings select: [first, last], empty when last
// is below first (a range past the end).
struct PageRange {
    int first = 1;
    int last = 0;
    int count() const { return last >= first ? last - first + 1 : 0; }
};
PageRange selectedPages(const ReportDocument& document, const QPrinter& printer);

// A page as an image of the given width in pixels, white background.
QImage renderPage(const ReportDocument& document, int index, int widthPixels);

} // namespace korvex::reports
