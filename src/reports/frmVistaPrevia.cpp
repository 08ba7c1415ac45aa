#include "reports/frmVistaPrevia.h"

#include "engine/Numbers.h"
#include "reports/Render.h"
#include "reports/ReportButtons.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace korvex::reports {

namespace {

constexpr int kPageMargin = 16; // pixels of grey around the page

struct ZoomChoice {
    const char* caption;
    int percent;
};
const ZoomChoice kZoomChoices[] = {{"Ancho de página", 0}, {"Página completa", -1}, {"50 %", 50},
                                   {"75 %", 75},           {"100 %", 100},          {"125 %", 125},
                                   {"150 %", 150},         {"200 %", 200}};

class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

// The page as paper on a grey desk.
class PageView : public QWidget {
public:
    explicit PageView(QWidget* parent) : QWidget(parent) { setObjectName(QStringLiteral("picPagina")); }

    void setPage(const QImage& image) {
        image_ = image;
        const QSizeF size = image_.deviceIndependentSize();
        setFixedSize(static_cast<int>(size.width()) + 2 * kPageMargin,
                     static_cast<int>(size.height()) + 2 * kPageMargin);
        update();
    }
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0x8a, 0x90, 0x99));
        if (image_.isNull())
            return;
        const QSizeF size = image_.deviceIndependentSize();
        painter.fillRect(QRectF(kPageMargin + 3, kPageMargin + 3, size.width(), size.height()),
                         QColor(0, 0, 0, 70));
        painter.drawImage(QPointF(kPageMargin, kPageMargin), image_);
    }

private:
    QImage image_;
};

frmVistaPrevia::frmVistaPrevia(const ui::WindowContext& context, QWidget* parent) : QWidget(parent) {
    setWindowTitle(QStringLiteral("Vista Previa"));
    const auto button = [this](const char* name, const QString& caption, const QString& tip) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(tip);
        b->setFocusPolicy(Qt::NoFocus);
        return b;
    };
    cmdPrimera_ = button("cmdPrimera", QStringLiteral("|◀"), QStringLiteral("Primera página (Inicio)"));
    cmdAnterior_ =
        button("cmdAnterior", QStringLiteral("◀ Anterior"), QStringLiteral("Página anterior (RePág)"));
    cmdSiguiente_ =
        button("cmdSiguiente", QStringLiteral("Siguiente ▶"), QStringLiteral("Página siguiente (AvPág)"));
    cmdUltima_ = button("cmdUltima", QStringLiteral("▶|"), QStringLiteral("Última página (Fin)"));
    cmdImprimir_ =
        button("cmdImprimir", QStringLiteral("Imprimir"), QStringLiteral("Imprimir el reporte (Ctrl+P)"));
    cmdExportarPdf_ = button("cmdExportarPdf", QStringLiteral("Exportar PDF"),
                             QStringLiteral("Guardar el reporte como PDF"));
    cmdSalir_ = button("cmdSalir", QStringLiteral("Salir (Esc)"), QStringLiteral("Cerrar la vista previa"));
    lblPagina_ = new QLabel(this);
    lblPagina_->setObjectName(QStringLiteral("lblPagina"));
    lblPagina_->setMinimumWidth(110);
    lblPagina_->setAlignment(Qt::AlignCenter);
    cboZoom_ = new QComboBox(this);
    cboZoom_->setObjectName(QStringLiteral("cboZoom"));
    cboZoom_->setFocusPolicy(Qt::NoFocus);
    for (const ZoomChoice& choice : kZoomChoices)
        cboZoom_->addItem(QString::fromUtf8(choice.caption), choice.percent);
    lblEstado_ = new QLabel(this);
    lblEstado_->setObjectName(QStringLiteral("lblEstado"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(cmdPrimera_);
    bar->addWidget(cmdAnterior_);
    bar->addWidget(lblPagina_);
    bar->addWidget(cmdSiguiente_);
    bar->addWidget(cmdUltima_);
    bar->addSpacing(12);
    bar->addWidget(new QLabel(QStringLiteral("Zoom:"), this));
    bar->addWidget(cboZoom_);
    bar->addStretch(1);
    bar->addWidget(cmdImprimir_);
    bar->addWidget(cmdExportarPdf_);
    bar->addWidget(cmdSalir_);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("scrPagina"));
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    view_ = new PageView(scroll_);
    scroll_->setWidget(view_);
    scroll_->viewport()->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(scroll_, 1);
    layout->addWidget(lblEstado_);

    connect(cmdPrimera_, &QPushButton::clicked, this, [this] { goToPage(0); });
    connect(cmdAnterior_, &QPushButton::clicked, this, [this] { goToPage(page_ - 1); });
    connect(cmdSiguiente_, &QPushButton::clicked, this, [this] { goToPage(page_ + 1); });
    connect(cmdUltima_, &QPushButton::clicked, this,
            [this] { goToPage(document_ ? static_cast<int>(document_->pages.size()) - 1 : 0); });
    connect(cboZoom_, &QComboBox::activated, this,
            [this](int index) { setZoom(cboZoom_->itemData(index).toInt()); });
    connect(cmdImprimir_, &QPushButton::clicked, this, &frmVistaPrevia::print);
    connect(cmdExportarPdf_, &QPushButton::clicked, this, &frmVistaPrevia::exportPdf);
    connect(cmdSalir_, &QPushButton::clicked, this, &QWidget::close);

    setFocusPolicy(Qt::StrongFocus);
    resize(980, 760);
    reopen(context);
}

void frmVistaPrevia::reopen(const ui::WindowContext& context) {
    const QVariant argument = context.arguments.value(QString::fromLatin1(kDocumentArgument));
    if (argument.canConvert<SharedDocument>())
        showDocument(argument.value<SharedDocument>());
}

void frmVistaPrevia::showDocument(SharedDocument document) {
    document_ = std::move(document);
    page_ = 0;
    setWindowTitle(document_ ? QStringLiteral("Vista Previa - ") + document_->title
                             : QStringLiteral("Vista Previa"));
    lblEstado_->setText(document_ ? QDir::toNativeSeparators(document_->fileName) : QString());
    refresh();
}

void frmVistaPrevia::goToPage(int page) {
    if (!document_ || document_->pages.empty())
        return;
    page_ = std::clamp(page, 0, static_cast<int>(document_->pages.size()) - 1);
    refresh();
    scroll_->verticalScrollBar()->setValue(0);
}

void frmVistaPrevia::setZoom(int percent) {
    zoom_ = percent;
    const int index = cboZoom_->findData(percent);
    if (index >= 0)
        cboZoom_->setCurrentIndex(index);
    refresh();
}

double frmVistaPrevia::scale() const {
    if (!document_)
        return 1;
    if (zoom_ > 0)
        return zoom_ / 100.0 * logicalDpiX() / kDotsPerInch;
    const QSize viewport = scroll_->viewport()->size();
    const double byWidth = (viewport.width() - 2.0 * kPageMargin) / document_->size.width();
    if (zoom_ == 0)
        return std::max(0.02, byWidth);
    const double byHeight = (viewport.height() - 2.0 * kPageMargin) / document_->size.height();
    return std::max(0.02, std::min(byWidth, byHeight));
}

void frmVistaPrevia::refresh() {
    const int pages = document_ ? static_cast<int>(document_->pages.size()) : 0;
    lblPagina_->setText(pages ? QStringLiteral("Página %1 de %2").arg(page_ + 1).arg(pages)
                              : QStringLiteral("Sin páginas"));
    cmdPrimera_->setEnabled(page_ > 0);
    cmdAnterior_->setEnabled(page_ > 0);
    cmdSiguiente_->setEnabled(page_ + 1 < pages);
    cmdUltima_->setEnabled(page_ + 1 < pages);
    cmdImprimir_->setEnabled(pages > 0);
    cmdExportarPdf_->setEnabled(pages > 0);
    if (!pages) {
        view_->setPage(QImage());
        return;
    }
    const double ratio = devicePixelRatioF();
    const int width = std::max(1, static_cast<int>(document_->size.width() * scale() * ratio));
    QImage image = renderPage(*document_, page_, width);
    image.setDevicePixelRatio(ratio);
    view_->setPage(image);
}

bool frmVistaPrevia::printTo(QPrinter& printer) {
    if (!document_)
        return false;
    WaitCursor wait;
    const QString failure = printDocument(*document_, printer);
    if (!failure.isEmpty()) {
        ui::messages::failure(this, failure);
        return false;
    }
    lblEstado_->setText(QStringLiteral("Enviado a imprimir: ") +
                        engine::Contar(selectedPages(*document_, printer).count(), QStringLiteral("página"),
                                       QStringLiteral("páginas")));
    return true;
}

void frmVistaPrevia::print() {
    if (!document_)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(document_->pageSize));
    printer.setPageOrientation(document_->landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setDocName(document_->title);
    printer.setFromTo(1, static_cast<int>(document_->pages.size()));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Imprimir"));
    dialog.setMinMax(1, static_cast<int>(document_->pages.size()));
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (dialog.exec() == QDialog::Accepted)
        printTo(printer);
}

bool frmVistaPrevia::exportTo(const QString& path) {
    if (!document_)
        return false;
    WaitCursor wait;
    const QString failure = writePdf(*document_, path);
    if (!failure.isEmpty()) {
        ui::messages::failure(this, failure);
        return false;
    }
    lblEstado_->setText(QStringLiteral("Guardado en %1").arg(QDir::toNativeSeparators(path)));
    return true;
}

void frmVistaPrevia::exportPdf() {
    if (!document_)
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString suggested =
        QDir(folder).filePath(QFileInfo(document_->fileName).completeBaseName() + QStringLiteral(".pdf"));
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Exportar PDF"), suggested,
                                                QStringLiteral("Documentos PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    if (!path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    exportTo(path);
}

void frmVistaPrevia::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Print)) {
        print();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_PageDown:
        goToPage(page_ + 1);
        return;
    case Qt::Key_PageUp:
        goToPage(page_ - 1);
        return;
    case Qt::Key_Home:
        goToPage(0);
        return;
    case Qt::Key_End:
        goToPage(document_ ? static_cast<int>(document_->pages.size()) - 1 : 0);
        return;
    case Qt::Key_Plus:
        setZoom(std::min(400, static_cast<int>(scale() * kDotsPerInch / logicalDpiX() * 100 + 0.5) + 25));
        return;
    case Qt::Key_Minus:
        setZoom(std::max(25, static_cast<int>(scale() * kDotsPerInch / logicalDpiX() * 100 + 0.5) - 25));
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

// The fitted zooms follow the page area, not the window: when the window is first shown its own
// resize comes before the scroll area has laid out its viewport, which would fit the page to a
// viewport of the default size.
bool frmVistaPrevia::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Resize && zoom_ <= 0)
        refresh();
    return QWidget::eventFilter(watched, event);
}

void showReport(const ReportButton& button, const ui::WindowContext& context) {
    ReportResult result;
    std::vector<Notice> notices;
    {
        WaitCursor wait;
        const PreparedReport prepared = prepareReport(button, context.projectFolder, context.rootFolder);
        notices = prepared.notices;
        result = runReport(prepared.request);
    }
    for (const Notice& notice : notices)
        ui::messageService().show(context.mainWindow, notice.title, notice.text, ui::MessageButtons::Ok,
                                  ui::MessageIcon::Warning);
    if (stopsReport(notices))
        return;
    if (!result.ok) {
        ui::messages::error(context.mainWindow, result.message);
        return;
    }
    ui::WindowContext preview = context;
    preview.arguments.insert(
        QString::fromLatin1(frmVistaPrevia::kDocumentArgument),
        QVariant::fromValue(SharedDocument(std::make_shared<ReportDocument>(std::move(result.document)))));
    ui::WindowRegistry::instance().openWindow(QString::fromLatin1(frmVistaPrevia::kWindowName), preview);
}

} // namespace korvex::reports
