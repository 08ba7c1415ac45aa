// FIEBDC-3 reader: code page detection with iconv, records split on "~", fields on "|",
// subfields on "\".

#include "exchange/Bc3Reader.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <iconv.h>

namespace korvex::exchange {

namespace {

bool hasNonAscii(const QByteArray& bytes) {
    for (const char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return true;
    return false;
}

bool isValidUtf8(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        int follow = 0;
        unsigned int min = 0;
        unsigned int cp = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if ((c & 0xE0) == 0xC0) {
            follow = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            follow = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            follow = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= follow; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += follow + 1;
    }
    return true;
}

// Bytes of one code page to text through iconv; a byte the page leaves undefined becomes "?".
QString convert(const QByteArray& bytes, const char* codePage) {
    iconv_t cd = iconv_open("UTF-8", codePage);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return QString::fromLatin1(bytes);
    QByteArray out;
    out.resize(bytes.size() * 3 + 16);
    char* in = const_cast<char*>(bytes.constData());
    size_t inLeft = static_cast<size_t>(bytes.size());
    char* dst = out.data();
    size_t outLeft = static_cast<size_t>(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<size_t>(-1))
            break;
        if (errno == EILSEQ || errno == EINVAL) {
            if (outLeft < 1)
                break;
            *dst++ = '?';
            --outLeft;
            ++in;
            --inLeft;
        } else {
            break; // E2BIG cannot happen: three bytes per input byte always suffice
        }
    }
    iconv_close(cd);
    out.resize(dst - out.data());
    return QString::fromUtf8(out);
}

// The charset field of ~V, read from the raw bytes (its fields are plain ASCII).
QByteArray declaredCharset(const QByteArray& bytes) {
    qsizetype start = -1;
    for (qsizetype i = bytes.indexOf('~'); i >= 0; i = bytes.indexOf('~', i + 1)) {
        qsizetype j = i + 1;
        while (j < bytes.size() && (bytes[j] == '\r' || bytes[j] == '\n' || bytes[j] == ' '))
            ++j;
        if (j < bytes.size() && (bytes[j] == 'V' || bytes[j] == 'v')) {
            start = j;
            break;
        }
    }
    if (start < 0)
        return {};
    qsizetype end = bytes.indexOf('~', start);
    const QByteArray record = bytes.mid(start, end < 0 ? -1 : end - start);
    const QList<QByteArray> fields = record.split('|');
    return fields.size() > 5 ? fields[5].trimmed().toUpper() : QByteArray();
}

const char* codePageOf(const QByteArray& charset, bool* known) {
    *known = true;
    if (charset.isEmpty() || charset == "850")
        return "CP850";
    if (charset == "437")
        return "CP437";
    if (charset == "ANSI" || charset == "1252" || charset == "WINDOWS-1252")
        return "WINDOWS-1252";
    if (charset == "UTF-8" || charset == "UTF8")
        return "UTF-8";
    *known = false;
    return "CP850";
}

QString failureAt(int record, QChar letter, const QString& what) {
    return QStringLiteral("Registro %1 (~%2) del archivo BC3: %3").arg(record).arg(letter).arg(what);
}

struct RecordError {
    QString what;
};

// A number field: blanks trimmed, "." as the decimal point; empty gives fallback.
double number(const QString& field, double fallback, const char* what, bool* present = nullptr) {
    const QString text = field.trimmed();
    if (present)
        *present = !text.isEmpty();
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    double value = text.toDouble(&ok);
    if (!ok && text.count(QLatin1Char(',')) == 1 && !text.contains(QLatin1Char('.')))
        value = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(value))
        throw RecordError{
            QStringLiteral("%1 «%2» no es un número").arg(QString::fromUtf8(what), text.left(40))};
    return value;
}

QString field(const QStringList& fields, int i) {
    return i < fields.size() ? fields[i] : QString();
}

QString withoutBreaks(QString text) {
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char('\n'));
    return text;
}

class Parser {
public:
    explicit Parser(Bc3Document& doc) : doc_(doc) {}

    void record(QChar letter, const QString& body, int number) {
        current_ = number;
        const QStringList fields =
            (letter == QLatin1Char('T') ? body : withoutBreaks(body)).split(QLatin1Char('|'));
        switch (letter.unicode()) {
        case 'V':
            version(fields);
            break;
        case 'K':
            coefficients(fields);
            break;
        case 'C':
            entry(fields);
            break;
        case 'D':
            decomposition(fields, false);
            break;
        case 'Y':
            decomposition(fields, true);
            break;
        case 'T':
            text(fields);
            break;
        case 'M':
            measurement(fields);
            break;
        default:
            ++doc_.skipped;
            break;
        }
    }

private:
    void version(const QStringList& f) {
        doc_.owner = field(f, 1).trimmed();
        doc_.version = field(f, 2).section(QLatin1Char('\\'), 0, 0).trimmed();
        doc_.program = field(f, 3).trimmed();
        doc_.header = field(f, 4).trimmed();
        doc_.charset = field(f, 5).trimmed();
        doc_.comment = field(f, 6).trimmed();
    }

    void coefficients(const QStringList& f) {
        Bc3Coefficients& k = doc_.coefficients;
        k.present = true;
        // Price decimals: DC of the third field (2002 and later), else DC of the first.
        const QStringList late = field(f, 3).split(QLatin1Char('\\'));
        const QStringList early = field(f, 1).split(QLatin1Char('\\'));
        bool stated = false;
        double dc = number(field(late, 1), -1, "El número de decimales", &stated);
        if (!stated)
            dc = number(field(early, 6), -1, "El número de decimales", &stated);
        k.priceDecimals = stated && dc >= 0 && dc <= 12 ? static_cast<int>(dc) : -1;
        static const char* const names[] = {"CI", "GG", "BI", "BAJA", "IVA"};
        const QStringList percents = field(f, 2).split(QLatin1Char('\\'));
        k.percentages.clear();
        for (int i = 0; i < 5; ++i) {
            const double value = number(field(percents, i), 0, "El porcentaje");
            if (value != 0)
                k.percentages.push_back({QString::fromLatin1(names[i]), value});
        }
    }

    void entry(const QStringList& f) {
        const QStringList codes = field(f, 1).split(QLatin1Char('\\'), Qt::SkipEmptyParts);
        QStringList trimmed;
        for (const QString& code : codes)
            if (!code.trimmed().isEmpty())
                trimmed.append(code.trimmed());
        if (trimmed.isEmpty())
            throw RecordError{QStringLiteral("falta el código del concepto")};
        Bc3Concept c;
        c.code = trimmed.first();
        c.unit = field(f, 2).trimmed();
        c.summary = field(f, 3).trimmed();
        c.price = number(field(f, 4).section(QLatin1Char('\\'), 0, 0), 0, "El precio", &c.hasPrice);
        const QString type = field(f, 6).trimmed();
        c.percentType = type == QLatin1String("%");
        bool ok = false;
        const int t = type.toInt(&ok);
        c.type = ok && t >= 1 && t <= 3 ? static_cast<Bc3Type>(t) : Bc3Type::Unclassified;
        c.record = current_;
        // A later ~C for the same code replaces the earlier one in its place, keeping its text.
        const int existing = doc_.index.value(c.code, -1);
        if (existing >= 0) {
            c.text = doc_.concepts[static_cast<std::size_t>(existing)].text;
            doc_.concepts[static_cast<std::size_t>(existing)] = c;
        } else {
            doc_.concepts.push_back(c);
        }
        const int at = existing >= 0 ? existing : static_cast<int>(doc_.concepts.size()) - 1;
        for (const QString& code : trimmed)
            doc_.index.insert(code, at);
    }

    // ~D replaces a decomposition; ~Y adds to it. The third field (components with percentage
    // codes, four subfields each) serves when the second is empty.
    void decomposition(const QStringList& f, bool append) {
        const QString parent = field(f, 1).trimmed();
        if (parent.isEmpty())
            throw RecordError{QStringLiteral("falta el código del concepto descompuesto")};
        int stride = 3;
        QStringList parts = field(f, 2).split(QLatin1Char('\\'));
        if (field(f, 2).trimmed().isEmpty() && !field(f, 3).trimmed().isEmpty()) {
            parts = field(f, 3).split(QLatin1Char('\\'));
            stride = 4;
        }
        Bc3Decomposition& d = doc_.decompositions[parent];
        if (!append || d.record == 0) {
            if (!append)
                d.components.clear();
            d.record = current_;
        }
        for (qsizetype i = 0; i < parts.size(); i += stride) {
            Bc3Component c;
            c.code = parts[i].trimmed();
            if (c.code.isEmpty()) {
                // Writers end the list with "\"; an empty code with figures is a fault.
                if (!field(parts, static_cast<int>(i + 1)).trimmed().isEmpty() ||
                    !field(parts, static_cast<int>(i + 2)).trimmed().isEmpty())
                    throw RecordError{QStringLiteral("un componente de «%1» no tiene código").arg(parent)};
                continue;
            }
            c.factor = number(field(parts, static_cast<int>(i + 1)), 1, "El factor");
            c.quantity = number(field(parts, static_cast<int>(i + 2)), 1, "La cantidad");
            d.components.push_back(c);
        }
    }

    void text(const QStringList& f) {
        const QString code = withoutBreaks(field(f, 1)).trimmed();
        if (code.isEmpty())
            throw RecordError{QStringLiteral("falta el código del concepto")};
        QString body = f.mid(2, f.size() > 3 ? f.size() - 3 : 1).join(QLatin1Char('|'));
        body.replace(QLatin1String("\r\n"), QLatin1String("\n")).remove(QLatin1Char('\r'));
        texts_.insert(code, body.trimmed());
    }

    void measurement(const QStringList& f) {
        const QString codes = field(f, 1).trimmed();
        if (codes.isEmpty())
            throw RecordError{QStringLiteral("falta el código del concepto medido")};
        Bc3Measurement m;
        const qsizetype slash = codes.indexOf(QLatin1Char('\\'));
        m.parent = slash >= 0 ? codes.left(slash).trimmed() : QString();
        m.child = slash >= 0 ? codes.mid(slash + 1).trimmed() : codes;
        if (m.child.isEmpty())
            throw RecordError{QStringLiteral("falta el código del concepto medido")};
        for (const QString& p : field(f, 2).split(QLatin1Char('\\'), Qt::SkipEmptyParts)) {
            bool ok = false;
            const int position = p.trimmed().toInt(&ok);
            if (ok)
                m.positions.push_back(position);
        }
        m.total = number(field(f, 3), 0, "La medición total", &m.hasTotal);
        m.label = field(f, 5).trimmed();
        m.record = current_;
        doc_.measurements.push_back(m);
    }

public:
    // Texts and decompositions name their concept as the writer pleased ("01" for "01#"): from
    // here on they are known by the concept's own code.
    void finish() {
        for (auto it = texts_.cbegin(); it != texts_.cend(); ++it)
            if (const Bc3Concept* c = doc_.find(it.key()))
                doc_.concepts[static_cast<std::size_t>(doc_.index.value(c->code))].text = it.value();
        std::vector<std::pair<QString, Bc3Decomposition>> written;
        for (auto it = doc_.decompositions.cbegin(); it != doc_.decompositions.cend(); ++it)
            written.emplace_back(it.key(), it.value());
        std::sort(written.begin(), written.end(),
                  [](const auto& a, const auto& b) { return a.second.record < b.second.record; });
        doc_.decompositions.clear();
        for (auto& [code, decomposition] : written) {
            const QString own = doc_.canonical(code);
            const auto known = doc_.decompositions.find(own);
            if (known == doc_.decompositions.end())
                doc_.decompositions.insert(own, std::move(decomposition));
            else
                known->components.insert(known->components.end(), decomposition.components.begin(),
                                         decomposition.components.end());
        }
    }

private:
    Bc3Document& doc_;
    QHash<QString, QString> texts_;
    int current_ = 0;
};

bool ignorable(QChar c) {
    return c.isSpace() || c == QChar(0xFEFF) || c == QChar(0x1A);
}

} // namespace

bool Bc3Concept::isPercentage() const {
    return code.startsWith(QLatin1Char('%')) || unit == QLatin1String("%") || percentType;
}

QString Bc3Document::key(const QString& code) {
    qsizetype end = code.size();
    while (end > 0 && code[end - 1] == QLatin1Char('#'))
        --end;
    return code.left(end);
}

const Bc3Concept* Bc3Document::find(const QString& code) const {
    if (code.isEmpty())
        return nullptr;
    int at = index.value(code, -1);
    if (at < 0) {
        // A chapter named without its "#" (or with one too many).
        const QString bare = key(code);
        for (const QString& candidate : {bare, bare + QLatin1Char('#'), bare + QLatin1String("##")})
            if (at < 0 && candidate != code)
                at = index.value(candidate, -1);
    }
    return at >= 0 ? &concepts[static_cast<std::size_t>(at)] : nullptr;
}

QString Bc3Document::canonical(const QString& code) const {
    const Bc3Concept* c = find(code);
    return c ? c->code : code;
}

const Bc3Decomposition* Bc3Document::decomposition(const QString& code) const {
    const auto it = decompositions.constFind(canonical(code));
    return it == decompositions.cend() ? nullptr : &it.value();
}

QString decodeBc3(const QByteArray& bytes, QString* encoding, QStringList* warnings) {
    const QByteArray charset = declaredCharset(bytes);
    QString used;
    QString text;
    if (hasNonAscii(bytes) && isValidUtf8(bytes)) {
        used = QStringLiteral("UTF-8");
        text = QString::fromUtf8(bytes);
    } else {
        bool known = true;
        const char* page = codePageOf(charset, &known);
        if (!known && warnings)
            warnings->append(QStringLiteral("Juego de caracteres «%1» desconocido: se lee como 850")
                                 .arg(QString::fromLatin1(charset)));
        if (qstrcmp(page, "UTF-8") == 0) {
            // Declared UTF-8 but not valid: the writer's ANSI is the likelier truth.
            page = "WINDOWS-1252";
            if (hasNonAscii(bytes) && warnings)
                warnings->append(QStringLiteral("El archivo declara UTF-8 pero no lo es: se lee como ANSI"));
        }
        used = QString::fromLatin1(page);
        text = hasNonAscii(bytes) ? convert(bytes, page) : QString::fromLatin1(bytes);
    }
    if (encoding)
        *encoding = used;
    return text;
}

Bc3ReadResult readBc3(const QByteArray& bytes) {
    Bc3ReadResult result;
    Bc3Document& doc = result.document;
    if (bytes.size() > kBc3MaxBytes) {
        result.ok = false;
        result.message =
            QStringLiteral("El archivo BC3 es demasiado grande (más de %1 MB)").arg(kBc3MaxBytes >> 20);
        return result;
    }
    const QString text = decodeBc3(bytes, &doc.encoding, &doc.warnings);
    qsizetype first = text.indexOf(QLatin1Char('~'));
    for (qsizetype i = 0; i < (first < 0 ? text.size() : first); ++i) {
        if (!ignorable(text[i])) {
            result.ok = false;
            result.message =
                QStringLiteral("El archivo no es FIEBDC-3 (BC3): no empieza con un registro «~»");
            return result;
        }
    }
    Parser parser(doc);
    for (qsizetype start = first; start >= 0;) {
        const qsizetype next = text.indexOf(QLatin1Char('~'), start + 1);
        const QString record = text.mid(start + 1, next < 0 ? -1 : next - start - 1);
        start = next;
        const int number = ++doc.records;
        const qsizetype bar = record.indexOf(QLatin1Char('|'));
        const QString head = withoutBreaks(record.left(bar < 0 ? record.size() : bar)).trimmed();
        QChar letter = head.isEmpty() ? QChar() : head[0].toUpper();
        if (head.size() != 1 || !letter.isLetter()) {
            // A stray "~" at the very end (or a record without a letter) is a fault of the writer.
            if (record.trimmed().isEmpty() ||
                (next < 0 && withoutBreaks(record).remove(QChar(0x1A)).trimmed().isEmpty()))
                continue;
            result.ok = false;
            result.message = failureAt(number, letter.isNull() ? QLatin1Char('?') : letter,
                                       QStringLiteral("el registro no empieza con su letra"));
            return result;
        }
        try {
            parser.record(letter, bar < 0 ? QString() : record.mid(bar), number);
        } catch (const RecordError& error) {
            result.ok = false;
            result.message = failureAt(number, letter, error.what);
            return result;
        }
    }
    parser.finish();
    if (doc.concepts.empty()) {
        result.ok = false;
        result.message = QStringLiteral("El archivo BC3 no tiene ningún concepto (~C) que importar");
    }
    return result;
}

Bc3ReadResult readBc3File(const QString& path) {
    Bc3ReadResult result;
    QFile file(path);
    if (QFileInfo(path).size() > kBc3MaxBytes) {
        result.ok = false;
        result.message =
            QStringLiteral("El archivo BC3 es demasiado grande (más de %1 MB)").arg(kBc3MaxBytes >> 20);
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.ok = false;
        result.message = QStringLiteral("No se puede leer el archivo %1: %2").arg(path, file.errorString());
        return result;
    }
    return readBc3(file.readAll());
}

} // namespace korvex::exchange
