#include "exchange/XlsxReader.h"

#include "exchange/Workbook.h"
#include "exchange/ZipArchive.h"

#include <QElapsedTimer>
#include <QHash>
#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>

namespace korvex::exchange {

namespace {

// Past these a reference is not worth converting; the sheet's own bounds are smaller.
constexpr qint64 kColumnGuard = 1 << 20;
constexpr qint64 kRowGuard = 1 << 30;

// Something in the file is past a bound or malformed: the message says what, naming the part.
struct ReadError {
    QString message;
};

class Archive {
public:
    Archive(const ReadLimits& limits) : limits_(limits), budget_(limits.maxExpandedBytes) {}

    void open(const QByteArray& data) {
        QString error;
        if (!zip_.open(data, limits_.maxParts, error))
            throw ReadError{QStringLiteral("no es un libro .xlsx (%1)").arg(error)};
    }

    bool has(const QString& name) const { return zip_.contains(name); }

    // The part's bytes, bounded by the limits whatever the archive's directory says.
    QByteArray read(const QString& name) {
        QByteArray bytes;
        QString error;
        if (!zip_.read(name, limits_.maxEntryBytes, budget_, bytes, error))
            throw ReadError{error};
        return bytes;
    }

private:
    const ReadLimits& limits_;
    ZipArchive zip_;
    qint64 budget_;
};

// A QXmlStreamReader that keeps to the nesting and time bounds.
class Xml {
public:
    Xml(const QByteArray& data, const QString& part, const ReadLimits& limits, const QElapsedTimer& clock)
        : reader_(data), part_(part), limits_(limits), clock_(clock) {}

    // The next start or end element; false at the end of the document.
    bool next() {
        for (;;) {
            const QXmlStreamReader::TokenType token = reader_.readNext();
            checkTime();
            if (reader_.hasError())
                fail();
            if (token == QXmlStreamReader::EndDocument)
                return false;
            if (token == QXmlStreamReader::StartElement) {
                if (++depth_ > limits_.maxDepth)
                    throw ReadError{QStringLiteral("la parte %1 anida más de %2 niveles")
                                        .arg(part_)
                                        .arg(limits_.maxDepth)};
                return true;
            }
            if (token == QXmlStreamReader::EndElement) {
                --depth_;
                return true;
            }
        }
    }
    bool isStart() const { return reader_.isStartElement(); }
    bool isEnd() const { return reader_.isEndElement(); }
    bool is(const char* name) const { return reader_.name() == QLatin1String(name); }
    bool startOf(const char* name) const { return isStart() && is(name); }
    bool endOf(const char* name) const { return isEnd() && is(name); }
    QString attribute(const char* name) const {
        // Attributes are matched by local name, so any namespace prefix (r:id) is accepted.
        for (const QXmlStreamAttribute& a : reader_.attributes()) {
            if (a.name() == QLatin1String(name))
                return a.value().toString();
        }
        return {};
    }
    // The text of the current element, which must hold text only; leaves it at its end.
    QString text() {
        const QString value = reader_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (reader_.hasError())
            fail();
        --depth_;
        return value;
    }
    void checkTime() {
        if ((++tokens_ & 1023) == 0 && clock_.elapsed() > limits_.maxMilliseconds)
            throw ReadError{QStringLiteral("la lectura pasó del tiempo límite de %1 s")
                                .arg(limits_.maxMilliseconds / 1000)};
    }
    qint64 line() const { return reader_.lineNumber(); }

private:
    [[noreturn]] void fail() const {
        throw ReadError{QStringLiteral("la parte %1 no es XML válido (línea %2: %3)")
                            .arg(part_)
                            .arg(reader_.lineNumber())
                            .arg(reader_.errorString())};
    }

    QXmlStreamReader reader_;
    QString part_;
    const ReadLimits& limits_;
    const QElapsedTimer& clock_;
    int depth_ = 0;
    quint64 tokens_ = 0;
};

// A relationship target is relative to the folder of the part that names it, or absolute.
QString resolve(const QString& base, const QString& target) {
    if (target.startsWith('/'))
        return target.mid(1);
    QStringList parts = base.split('/', Qt::SkipEmptyParts);
    for (const QString& piece : target.split('/', Qt::SkipEmptyParts)) {
        if (piece == QLatin1String("..")) {
            if (!parts.isEmpty())
                parts.removeLast();
        } else if (piece != QLatin1String(".")) {
            parts.append(piece);
        }
    }
    return parts.join('/');
}

QString folderOf(const QString& part) {
    const int slash = part.lastIndexOf('/');
    return slash < 0 ? QString() : part.left(slash);
}

QString relsOf(const QString& part) {
    const int slash = part.lastIndexOf('/');
    return part.left(slash + 1) + "_rels/" + part.mid(slash + 1) + ".rels";
}

struct Relationship {
    QString type;
    QString target;
};

QHash<QString, Relationship> readRelationships(Archive& archive, const QString& part,
                                               const ReadLimits& limits, const QElapsedTimer& clock) {
    QHash<QString, Relationship> relationships;
    const QString rels = relsOf(part);
    if (!archive.has(rels))
        return relationships;
    Xml xml(archive.read(rels), rels, limits, clock);
    while (xml.next()) {
        if (xml.startOf("Relationship"))
            relationships.insert(xml.attribute("Id"),
                                 {xml.attribute("Type"), resolve(folderOf(part), xml.attribute("Target"))});
    }
    return relationships;
}

QString workbookPart(Archive& archive, const ReadLimits& limits, const QElapsedTimer& clock) {
    for (const Relationship& r : readRelationships(archive, QString(), limits, clock)) {
        if (r.type.endsWith(QLatin1String("/officeDocument")))
            return r.target;
    }
    return QStringLiteral("xl/workbook.xml");
}

struct SheetEntry {
    QString name;
    QString part;
};

std::vector<SheetEntry> readSheets(Archive& archive, const QString& workbook,
                                   const QHash<QString, Relationship>& relationships,
                                   const ReadLimits& limits, const QElapsedTimer& clock) {
    std::vector<SheetEntry> sheets;
    Xml xml(archive.read(workbook), workbook, limits, clock);
    while (xml.next()) {
        if (xml.startOf("sheet")) {
            const auto r = relationships.constFind(xml.attribute("id"));
            sheets.push_back({xml.attribute("name"), r == relationships.constEnd() ? QString() : r->target});
        }
    }
    return sheets;
}

QStringList readSharedStrings(Archive& archive, const QString& part, const ReadLimits& limits,
                              const QElapsedTimer& clock) {
    QStringList strings;
    Xml xml(archive.read(part), part, limits, clock);
    QString current;
    int phonetic = 0; // inside <rPh>, whose texts are readings, not the cell's text
    while (xml.next()) {
        if (xml.startOf("si")) {
            current.clear();
        } else if (xml.startOf("rPh")) {
            ++phonetic;
        } else if (xml.endOf("rPh")) {
            --phonetic;
        } else if (xml.startOf("t")) {
            const QString text = xml.text();
            if (phonetic == 0)
                current += text;
        } else if (xml.endOf("si")) {
            if (strings.size() >= limits.maxSharedStrings)
                throw ReadError{QStringLiteral("el libro tiene más de %1 textos compartidos")
                                    .arg(limits.maxSharedStrings)};
            strings.append(current);
        }
    }
    return strings;
}

// "BC12" -> column 54 (0-based) and row 12; false when it is not a cell reference.
bool parseReference(const QString& reference, int& col, int& row) {
    qint64 c = 0;
    int i = 0;
    for (; i < reference.size() && reference[i].isLetter() && reference[i].unicode() < 128; ++i) {
        c = c * 26 + (reference[i].toUpper().unicode() - 'A' + 1);
        if (c > kColumnGuard)
            return false;
    }
    if (i == 0 || i == reference.size())
        return false;
    bool ok = false;
    const qint64 r = reference.mid(i).toLongLong(&ok);
    if (!ok || r < 1 || r > kRowGuard)
        return false;
    col = int(c - 1);
    row = int(r);
    return true;
}

class SheetReader {
public:
    SheetReader(const QStringList& shared, const ReadLimits& limits) : shared_(shared), limits_(limits) {}

    std::vector<TableRow> read(Xml& xml, const QString& sheetName) {
        sheetName_ = sheetName;
        bool inData = false;
        while (xml.next()) {
            if (xml.is("sheetData"))
                inData = xml.isStart();
            else if (inData && xml.startOf("row"))
                startRow(xml);
            else if (inData && xml.startOf("c"))
                readCell(xml);
        }
        return std::move(rows_);
    }

private:
    [[noreturn]] void fail(const QString& what) const {
        throw ReadError{QStringLiteral("hoja «%1», %2").arg(sheetName_, what)};
    }

    void startRow(Xml& xml) {
        const QString r = xml.attribute("r");
        int number = rows_.empty() ? 1 : rows_.back().number + 1;
        if (!r.isEmpty()) {
            bool ok = false;
            number = r.toInt(&ok);
            if (!ok || number < 1)
                fail(QStringLiteral("fila con número no válido «%1»").arg(r));
        }
        if (number > limits_.maxRows)
            fail(QStringLiteral("fila %1: la hoja pasa del límite de %2 filas")
                     .arg(number)
                     .arg(limits_.maxRows));
        if (!rows_.empty() && number <= rows_.back().number)
            fail(QStringLiteral("fila %1 fuera de orden").arg(number));
        rows_.push_back(TableRow{number, {}});
        lastCol_ = -1;
    }

    void readCell(Xml& xml) {
        if (rows_.empty())
            fail(QStringLiteral("celda fuera de una fila"));
        TableRow& row = rows_.back();
        const QString reference = xml.attribute("r");
        int col = lastCol_ + 1;
        if (!reference.isEmpty()) {
            int refRow = 0;
            if (!parseReference(reference, col, refRow) || refRow != row.number)
                fail(QStringLiteral("fila %1: referencia de celda no válida «%2»")
                         .arg(row.number)
                         .arg(reference));
        }
        if (col >= limits_.maxColumns)
            fail(QStringLiteral("fila %1: la hoja pasa del límite de %2 columnas")
                     .arg(row.number)
                     .arg(limits_.maxColumns));
        lastCol_ = col;
        const QString type = xml.attribute("t");
        QString value;
        QString inlineText;
        QString formula;
        bool hasValue = false;
        while (xml.next() && !xml.endOf("c")) {
            if (xml.startOf("v")) {
                value = xml.text();
                hasValue = true;
            } else if (xml.startOf("t")) {
                inlineText += xml.text();
            } else if (xml.startOf("f")) {
                formula = xml.text();
            }
        }
        const QString name = reference.isEmpty() ? columnName(col) + QString::number(row.number) : reference;
        TableCell cell = makeCell(type, value, hasValue, inlineText, row.number, name);
        cell.formula = formula;
        if (cell.kind == TableCell::Kind::Empty)
            return;
        if (col >= static_cast<int>(row.cells.size())) {
            slots_ += col + 1 - static_cast<qint64>(row.cells.size());
            if (slots_ > limits_.maxCells)
                fail(QStringLiteral("fila %1: la hoja pasa del límite de %2 celdas")
                         .arg(row.number)
                         .arg(limits_.maxCells));
            row.cells.resize(static_cast<std::size_t>(col) + 1);
        }
        row.cells[static_cast<std::size_t>(col)] = std::move(cell);
    }

    TableCell makeCell(const QString& type, const QString& value, bool hasValue, const QString& inlineText,
                       int row, const QString& reference) const {
        TableCell cell;
        if (type == QLatin1String("inlineStr")) {
            cell.kind = TableCell::Kind::Text;
            cell.text = inlineText;
        } else if (!hasValue) {
            return cell;
        } else if (type == QLatin1String("s")) {
            bool ok = false;
            const int index = value.trimmed().toInt(&ok);
            if (!ok || index < 0 || index >= shared_.size())
                fail(QStringLiteral("fila %1: la celda %2 remite a un texto compartido que no existe")
                         .arg(row)
                         .arg(reference));
            cell.kind = TableCell::Kind::Text;
            cell.text = shared_[index];
        } else if (type.isEmpty() || type == QLatin1String("n")) {
            bool ok = false;
            const double number = value.trimmed().toDouble(&ok);
            if (ok && std::isfinite(number)) {
                cell.kind = TableCell::Kind::Number;
                cell.number = number;
            } else {
                cell.kind = TableCell::Kind::Text;
                cell.text = value;
            }
        } else {
            // "str" (a formula's text), "b", "e" and "d" cells are read as the text they hold.
            cell.kind = TableCell::Kind::Text;
            cell.text = value;
        }
        return cell;
    }

    const QStringList& shared_;
    const ReadLimits& limits_;
    QString sheetName_;
    std::vector<TableRow> rows_;
    int lastCol_ = -1;
    qint64 slots_ = 0;
};

Table readWorkbook(Archive& archive, const QString& wanted, const ReadLimits& limits,
                   const QElapsedTimer& clock) {
    const QString workbook = workbookPart(archive, limits, clock);
    const QHash<QString, Relationship> relationships = readRelationships(archive, workbook, limits, clock);
    const std::vector<SheetEntry> sheets = readSheets(archive, workbook, relationships, limits, clock);
    if (sheets.empty())
        throw ReadError{QStringLiteral("el libro no tiene hojas")};
    Table table;
    const SheetEntry* chosen = nullptr;
    for (const SheetEntry& sheet : sheets) {
        table.sheetNames.append(sheet.name);
        if (!chosen && (wanted.isEmpty() || sheet.name.compare(wanted, Qt::CaseInsensitive) == 0))
            chosen = &sheet;
    }
    if (!chosen)
        throw ReadError{
            QStringLiteral("no hay una hoja «%1» (hojas: %2)").arg(wanted, table.sheetNames.join(", "))};
    if (chosen->part.isEmpty())
        throw ReadError{QStringLiteral("la hoja «%1» no está en el libro").arg(chosen->name)};
    QStringList shared;
    for (const Relationship& r : relationships) {
        if (r.type.endsWith(QLatin1String("/sharedStrings")) && archive.has(r.target)) {
            shared = readSharedStrings(archive, r.target, limits, clock);
            break;
        }
    }
    table.sheetName = chosen->name;
    Xml xml(archive.read(chosen->part), chosen->part, limits, clock);
    table.rows = SheetReader(shared, limits).read(xml, chosen->name);
    return table;
}

} // namespace

bool looksLikeZip(const QByteArray& data) {
    return data.startsWith(QByteArrayLiteral("PK\x03\x04")) ||
           data.startsWith(QByteArrayLiteral("PK\x05\x06"));
}

bool looksLikeCompoundFile(const QByteArray& data) {
    return data.startsWith(QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"));
}

ReadOutcome readXlsx(const QByteArray& data, const QString& sheetName, const QString& fileLabel,
                     const ReadLimits& limits) {
    ReadOutcome outcome;
    const auto refuse = [&](const QString& why) {
        outcome.message = QStringLiteral("No se puede leer %1: %2").arg(fileLabel, why);
        return outcome;
    };
    if (data.isEmpty())
        return refuse(QStringLiteral("el archivo está vacío"));
    if (data.size() > limits.maxFileBytes)
        return refuse(QStringLiteral("el archivo pasa del límite de %1 MB").arg(limits.maxFileBytes >> 20));
    if (looksLikeCompoundFile(data))
        return refuse(
            QStringLiteral("el libro está protegido con contraseña o tiene el formato antiguo .xls; "
                           "guárdelo como .xlsx sin contraseña"));
    if (!looksLikeZip(data))
        return refuse(QStringLiteral("no es un libro .xlsx"));
    QElapsedTimer clock;
    clock.start();
    try {
        Archive archive(limits);
        archive.open(data);
        outcome.table = readWorkbook(archive, sheetName, limits, clock);
        outcome.ok = true;
    } catch (const ReadError& e) {
        return refuse(e.message);
    } catch (const std::bad_alloc&) {
        return refuse(QStringLiteral("no hay memoria suficiente para leerlo"));
    }
    return outcome;
}

} // namespace korvex::exchange
