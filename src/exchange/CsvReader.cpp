#include "exchange/CsvReader.h"

#include <QElapsedTimer>
#include <QStringDecoder>
#include <array>

namespace korvex::exchange {

namespace {

// Windows-1252 differs from Latin-1 only in 0x80 to 0x9F; the five bytes it leaves undefined
// keep their Latin-1 control characters.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeWindows1252(const QByteArray& data) {
    QString text(data.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char byte : data) {
        const auto b = static_cast<unsigned char>(byte);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(kWindows1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

QChar separatorOf(const QString& text) {
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\n' || c == '\r') && commas + semicolons + tabs > 0)
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
        else if (!quoted && c == '\t')
            ++tabs;
    }
    if (tabs > commas && tabs > semicolons)
        return '\t';
    return semicolons > commas ? QChar(';') : QChar(',');
}

struct CsvError {
    QString message;
};

class CsvParser {
public:
    CsvParser(const QString& text, QChar separator, const ReadLimits& limits)
        : text_(text), separator_(separator), limits_(limits) {
        clock_.start();
    }

    std::vector<TableRow> parse() {
        const qsizetype n = text_.size();
        qsizetype i = 0;
        while (i < n) {
            checkTime(i);
            const QChar c = text_[i];
            if (field_.isEmpty() && !fieldQuoted_ && c == '"' && !inQuotes_) {
                inQuotes_ = true;
                fieldQuoted_ = true;
                quoteRow_ = record_;
                ++i;
            } else if (inQuotes_) {
                if (c == '"' && i + 1 < n && text_[i + 1] == '"') {
                    field_ += '"';
                    i += 2;
                } else if (c == '"') {
                    inQuotes_ = false;
                    ++i;
                } else {
                    field_ += c;
                    ++i;
                }
            } else if (c == separator_) {
                endField();
                ++i;
            } else if (c == '\r' || c == '\n') {
                endRecord();
                i += (c == '\r' && i + 1 < n && text_[i + 1] == '\n') ? 2 : 1;
            } else {
                field_ += c;
                ++i;
            }
        }
        if (inQuotes_)
            throw CsvError{QStringLiteral("fila %1: unas comillas abiertas no se cierran").arg(quoteRow_)};
        if (!field_.isEmpty() || fieldQuoted_ || !cells_.empty())
            endRecord();
        return std::move(rows_);
    }

private:
    void checkTime(qsizetype i) {
        if ((i & 0xFFFF) == 0 && clock_.elapsed() > limits_.maxMilliseconds)
            throw CsvError{QStringLiteral("la lectura pasó del tiempo límite de %1 s")
                               .arg(limits_.maxMilliseconds / 1000)};
    }

    void endField() {
        if (static_cast<int>(cells_.size()) >= limits_.maxColumns)
            throw CsvError{QStringLiteral("fila %1: pasa del límite de %2 columnas")
                               .arg(record_)
                               .arg(limits_.maxColumns)};
        if (++slots_ > limits_.maxCells)
            throw CsvError{QStringLiteral("fila %1: el archivo pasa del límite de %2 celdas")
                               .arg(record_)
                               .arg(limits_.maxCells)};
        TableCell cell;
        if (!field_.isEmpty()) {
            cell.kind = TableCell::Kind::Text;
            cell.text = field_;
        }
        cells_.push_back(std::move(cell));
        field_.clear();
        fieldQuoted_ = false;
    }

    void endRecord() {
        endField();
        if (record_ > limits_.maxRows)
            throw CsvError{QStringLiteral("fila %1: el archivo pasa del límite de %2 filas")
                               .arg(record_)
                               .arg(limits_.maxRows)};
        const bool blank = cells_.size() == 1 && cells_.front().kind == TableCell::Kind::Empty;
        if (!blank)
            rows_.push_back(TableRow{record_, std::move(cells_)});
        cells_.clear();
        ++record_;
    }

    const QString& text_;
    QChar separator_;
    const ReadLimits& limits_;
    QElapsedTimer clock_;
    std::vector<TableRow> rows_;
    std::vector<TableCell> cells_;
    QString field_;
    bool inQuotes_ = false;
    bool fieldQuoted_ = false;
    int record_ = 1;
    int quoteRow_ = 1;
    qint64 slots_ = 0;
};

} // namespace

QString decodeText(const QByteArray& data) {
    QByteArray bytes = data;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeWindows1252(bytes);
}

ReadOutcome readCsv(const QByteArray& data, const QString& fileLabel, const ReadLimits& limits) {
    ReadOutcome outcome;
    const auto refuse = [&](const QString& why) {
        outcome.message = QStringLiteral("No se puede leer %1: %2").arg(fileLabel, why);
        return outcome;
    };
    if (data.size() > limits.maxFileBytes)
        return refuse(QStringLiteral("el archivo pasa del límite de %1 MB").arg(limits.maxFileBytes >> 20));
    try {
        const QString text = decodeText(data);
        if (text.trimmed().isEmpty())
            return refuse(QStringLiteral("el archivo está vacío"));
        const QChar separator = separatorOf(text);
        outcome.table.rows = CsvParser(text, separator, limits).parse();
        outcome.table.commaDecimals = separator == ';';
        outcome.ok = true;
    } catch (const CsvError& e) {
        return refuse(e.message);
    } catch (const std::bad_alloc&) {
        return refuse(QStringLiteral("no hay memoria suficiente para leerlo"));
    }
    return outcome;
}

} // namespace korvex::exchange
