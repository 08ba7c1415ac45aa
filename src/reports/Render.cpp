#include "reports/Render.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <algorithm>

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

QString writePdf(const ReportDocument& document, const QString& path) {
    const QFileInfo info(path);
    if (!info.absoluteDir().exists())
        return QStringLiteral("No existe la carpeta «%1».").arg(info.absolutePath());
    QPdfWriter writer(path);
    writer.setResolution(static_cast<int>(kDotsPerInch));
    writer.setTitle(document.title);
    writer.setCreator(QStringLiteral("Korvex"));
    writer.setPageLayout(QPageLayout(QPageSize(document.pageSize),
                                     document.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (!painter.begin(&writer))
        return QStringLiteral("No se puede escribir el archivo «%1».").arg(path);
    for (int i = 0; i < static_cast<int>(document.pages.size()); ++i) {
        if (i > 0)
            writer.newPage();
        paintPage(painter, document, i);
    }
    if (document.pages.empty())
        painter.drawText(QPointF(0, 0), QString());
    if (!painter.end())
        return QStringLiteral("No se pudo terminar de escribir el archivo «%1».").arg(path);
    if (!QFileInfo::exists(path))
        return QStringLiteral("No se pudo escribir el archivo «%1».").arg(path);
    return {};
}

QString printDocument(const ReportDocument& document, QPrinter& printer) {
    printer.setFullPage(true);
    printer.setPageOrientation(document.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    int first = 1;
    int last = static_cast<int>(document.pages.size());
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(1, printer.fromPage());
        last = std::min(last, printer.toPage() > 0 ? printer.toPage() : last);
    }
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
