#include "reports/Render.h"

#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <sys/stat.h>

namespace korvex::reports {

QStringList Page::textList() const {
    QStringList list;
    for (const TextItem& item : texts)
        list.append(item.text);
    return list;
}

bool Page::contains(const QString& text) const {
    return std::any_of(texts.begin(), texts.end(), [&](const TextItem& item) { return item.text == text; });
}

QFont ReportDocument::font(const FontSpec& dataDef) const {
    QFont font;
    if (!fontFamilies.isEmpty())
        font.setFamilies(fontFamilies);
    font.setPixelSize(std::max(1, dataDef.pixelSize));
    font.setBold(dataDef.bold);
    font.setItalic(dataDef.italic);
    // Metrics measured at composing time must hold on every device.
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

void paintPage(QPainter& painter, const ReportDocument& document, int index) {
    if (index < 0 || index >= static_cast<int>(document.pages.size()))
        return;
    const Page& page = document.pages[static_cast<std::size_t>(index)];
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setPen(Qt::NoPen);
    for (const BoxItem& box : page.boxes) {
        painter.setBrush(box.fill);
        painter.drawRect(box.rect);
    }
    painter.setBrush(Qt::NoBrush);
    for (const LineItem& line : page.lines) {
        QPen pen(line.color);
        pen.setWidthF(line.width);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(line.line);
    }
    std::vector<std::pair<FontSpec, QFont>> fonts;
    const auto fontFor = [&](const FontSpec& dataDef) -> const QFont& {
        for (const auto& [key, font] : fonts) {
            if (key == dataDef)
                return font;
        }
        fonts.emplace_back(dataDef, document.font(dataDef));
        return fonts.back().second;
    };
    QColor currentColor;
    const QFont* currentFont = nullptr;
    for (const TextItem& text : page.texts) {
        const QFont& font = fontFor(text.font);
        if (&font != currentFont) {
            painter.setFont(font);
            currentFont = &font;
        }
        if (text.color != currentColor || painter.pen().style() == Qt::NoPen) {
            painter.setPen(text.color);
            currentColor = text.color;
        }
        painter.drawText(text.baseline, text.text);
    }
    painter.restore();
}

namespace {

std::atomic<qint64> g_bytesBeforeFailure{-1};

// The temporary file beside the target that becomes the target only when complete (QSaveFile),
// keeping the reason of the first write that failed.
class PdfFile : public QSaveFile {
public:
    using QSaveFile::QSaveFile;
    int failure() const { return failure_; }

protected:
    qint64 writeData(const char* data, qint64 length) override {
        if (failure_)
            return -1;
        const qint64 allowed = g_bytesBeforeFailure.load();
        if (allowed >= 0 && allowed < length) {
            failure_ = ENOSPC;
            return -1;
        }
        if (allowed >= 0)
            g_bytesBeforeFailure -= length;
        errno = 0;
        const qint64 written = QSaveFile::writeData(data, length);
        if (written != length)
            failure_ = errno ? errno : EIO;
        return written;
    }

private:
    int failure_ = 0;
};

QString reasonOf(int error) {
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("no queda espacio en el disco");
    case EACCES:
    case EPERM:
        return QStringLiteral("permiso denegado");
    case EROFS:
        return QStringLiteral("la carpeta es de sólo lectura");
    default:
        return QStringLiteral("error de escritura en el disco");
    }
}

QString reasonOf(const QFileDevice& file) {
    switch (file.error()) {
    case QFileDevice::OpenError:
    case QFileDevice::PermissionsError:
        return QFileInfo(QFileInfo(file.fileName()).absolutePath()).isWritable()
                   ? reasonOf(EIO)
                   : QStringLiteral("no se puede escribir en la carpeta");
    case QFileDevice::ResourceError:
        return reasonOf(ENOSPC);
    default:
        return reasonOf(EIO);
    }
}

} // namespace

QString pdfTargetProblem(const QString& path) {
    const QFileInfo info(path);
    const QString shown = QDir::toNativeSeparators(path);
    if (!info.absoluteDir().exists())
        return QStringLiteral("No existe la carpeta «%1».")
            .arg(QDir::toNativeSeparators(info.absolutePath()));
    if (info.fileName().compare(QLatin1String(store::kDatabaseFileName), Qt::CaseInsensitive) == 0)
        return QStringLiteral("«%1» es la base de datos de un proyecto; el reporte no se escribe sobre ella.")
            .arg(shown);
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {}; // a new file
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("«%1» no es un archivo común; el reporte no se escribe en él.").arg(shown);
    if (st.st_size == 0)
        return {};
    QFile existing(path);
    if (!existing.open(QIODevice::ReadOnly) || existing.read(5) != QByteArrayLiteral("%PDF-"))
        return QStringLiteral("«%1» ya existe y no es un PDF; el reporte no lo reemplaza.").arg(shown);
    return {};
}

QString writePdf(const ReportDocument& document, const QString& path) {
    if (const QString problem = pdfTargetProblem(path); !problem.isEmpty())
        return problem;
    const QString shown = QDir::toNativeSeparators(path);
    PdfFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("No se puede escribir el archivo «%1»: %2.").arg(shown, reasonOf(file));
    {
        QPdfWriter writer(&file);
        writer.setResolution(static_cast<int>(kDotsPerInch));
        writer.setTitle(document.title);
        writer.setCreator(QStringLiteral("Korvex"));
        writer.setPageLayout(QPageLayout(QPageSize(document.pageSize),
                                         document.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                         QMarginsF(0, 0, 0, 0)));
        QPainter painter;
        if (!painter.begin(&writer))
            return QStringLiteral("No se puede escribir el archivo «%1».").arg(shown);
        for (int i = 0; i < static_cast<int>(document.pages.size()) && !file.failure(); ++i) {
            if (i > 0)
                writer.newPage();
            paintPage(painter, document, i);
        }
        if (document.pages.empty())
            painter.drawText(QPointF(0, 0), QString());
        painter.end();
    }
    // Nothing replaces the target unless every write, the flush and the close succeeded.
    if (file.failure()) {
        file.cancelWriting();
        file.commit();
        return QStringLiteral("No se pudo escribir el archivo «%1»: %2; no se cambió nada.")
            .arg(shown, reasonOf(file.failure()));
    }
    if (!file.commit())
        return QStringLiteral("No se pudo terminar de escribir el archivo «%1»: %2; no se cambió nada.")
            .arg(shown, reasonOf(file));
    return {};
}

namespace testing {
void failPdfWritesAfter(qint64 bytes) {
    g_bytesBeforeFailure.store(bytes < 0 ? -1 : bytes);
}
} // namespace testing

PageRange selectedPages(const ReportDocument& document, const QPrinter& printer) {
    PageRange range{1, static_cast<int>(document.pages.size())};
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        range.first = std::max(1, printer.fromPage());
        range.last = std::min(range.last, printer.toPage() > 0 ? printer.toPage() : range.last);
    }
    return range;
}

QString printDocument(const ReportDocument& document, QPrinter& printer) {
    printer.setFullPage(true);
    printer.setPageOrientation(document.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    const PageRange range = selectedPages(document, printer);
    const int first = range.first;
    const int last = range.last;
    QPainter painter;
    if (!painter.begin(&printer))
        return QStringLiteral("No se puede imprimir en «%1».").arg(printer.printerName());
    const QRectF paper = printer.paperRect(QPrinter::DevicePixel);
    const double scale =
        std::min(paper.width() / document.size.width(), paper.height() / document.size.height());
    for (int page = first; page <= last; ++page) {
        if (page > first)
            printer.newPage();
        painter.save();
        painter.scale(scale, scale);
        paintPage(painter, document, page - 1);
        painter.restore();
    }
    painter.end();
    return {};
}

QImage renderPage(const ReportDocument& document, int index, int widthPixels) {
    const double scale = widthPixels / document.size.width();
    QImage image(widthPixels, static_cast<int>(document.size.height() * scale + 0.5), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.scale(scale, scale);
    paintPage(painter, document, index);
    painter.end();
    return image;
}

} // namespace korvex::reports
