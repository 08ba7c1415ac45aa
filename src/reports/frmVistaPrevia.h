#pragma once
// The report preview "Vista Previa": the composed pages of a report, page by page, at the zoom the
// user picks, with "Imprimir" through the platform's print dialog and "Exportar PDF". A report
// button opens it with its report; opened again with another report, it shows that one.

#include "reports/Document.h"
#include "ui/WindowRegistry.h"

#include <QImage>
#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QPrinter;
class QPushButton;
class QScrollArea;

namespace korvex::reports {

using SharedDocument = std::shared_ptr<const ReportDocument>;

class PageView;

class frmVistaPrevia : public QWidget, public ui::ReopenableWindow {
    Q_OBJECT
public:
    static constexpr const char* kWindowName = "frmVistaPrevia";
    static constexpr const char* kDocumentArgument = "documento";

    explicit frmVistaPrevia(const ui::WindowContext& context, QWidget* parent = nullptr);
    void reopen(const ui::WindowContext& context) override;

    void showDocument(SharedDocument document);
    const ReportDocument* document() const { return document_.get(); }
    int currentPage() const { return page_; } // 0-based
    void goToPage(int page);
    // Zoom as a percentage of the page's real size on this screen; 0 fits the width, -1 the page.
    void setZoom(int percent);
    double scale() const; // pixels per dot of the document

    // Prints on an already set-up printer (the dialog's choice, or a file printer in tests).
    bool printTo(QPrinter& printer);
    // Writes the PDF; a failure is shown in a message box. Returns whether the file was written.
    bool exportTo(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void print();
    void exportPdf();
    void refresh();

    SharedDocument document_;
    int page_ = 0;
    int zoom_ = 0;
    QPushButton* cmdPrimera_ = nullptr;
    QPushButton* cmdAnterior_ = nullptr;
    QPushButton* cmdSiguiente_ = nullptr;
    QPushButton* cmdUltima_ = nullptr;
    QLabel* lblPagina_ = nullptr;
    QComboBox* cboZoom_ = nullptr;
    QPushButton* cmdImprimir_ = nullptr;
    QPushButton* cmdExportarPdf_ = nullptr;
    QPushButton* cmdSalir_ = nullptr;
    QLabel* lblEstado_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    PageView* view_ = nullptr;
};

// What a report button does: runs the button's preparation, tells its messages, composes the
// report and shows it in the preview (or tells why it could not).
struct ReportButton;
void showReport(const ReportButton& button, const ui::WindowContext& context);

} // namespace korvex::reports

Q_DECLARE_METATYPE(korvex::reports::SharedDocument)
