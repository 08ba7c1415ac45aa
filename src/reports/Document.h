#pragma once
// A composed report: pages of positioned texts, lines and boxes, in dots of 1/1200 inch. Text is
// already broken into lines and placed, so painting (screen, printer, PDF) only draws, and tests
// can read what landed on which page.

#include <QColor>
#include <QFont>
#include <QLineF>
#include <QPageSize>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

namespace korvex::reports {

inline constexpr double kDotsPerInch = 1200.0;
inline constexpr double kDotsPerMm = kDotsPerInch / 25.4;
inline constexpr double kDotsPerPoint = kDotsPerInch / 72.0;

struct FontSpec {
    int pixelSize = 133; // dots
    bool bold = false;
    bool italic = false;
    bool operator==(const FontSpec&) const = default;
};

struct TextItem {
    QPointF baseline; // left end of the baseline
    QString text;
    FontSpec font;
    QColor color = Qt::black;
    QRectF cell;      // the box the text had to stay inside
    double width = 0; // measured advance of the text
};

struct LineItem {
    QLineF line;
    double width = 2; // dots
    QColor color = Qt::black;
};

struct BoxItem {
    QRectF rect;
    QColor fill;
};

struct Page {
    std::vector<BoxItem> boxes; // painted first
    std::vector<LineItem> lines;
    std::vector<TextItem> texts;

    // Texts of the page in painting order, for tests and searching.
    QStringList textList() const;
    bool contains(const QString& text) const;
};

struct ReportDocument {
    QString title;
    QString fileName; // the template
    QPageSize::PageSizeId pageSize = QPageSize::A4;
    bool landscape = false;
    QSizeF size; // page size in dots, oriented
    QStringList fontFamilies;
    std::vector<Page> pages;

    QFont font(const FontSpec& dataDef) const;
};

} // namespace korvex::reports
