// FIEBDC-3 writer: reads the project once, prices its items with the engine and writes the records.

#include "exchange/Bc3Export.h"

#include "engine/Numbers.h"
#include "exchange/Bc3Format.h"
#include "store/Database.h"
#include "store/TextCompare.h"

#include <QCryptographicHash>
#include <QHash>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <vector>

namespace korvex::exchange {

namespace {

// Windows-1252 places these characters in 0x80..0x9F; elsewhere it is Latin-1.
char cp1252Of(char32_t c) {
    static const QHash<char32_t, unsigned char> high = {
        {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
        {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
        {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
        {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
        {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F}};
    if (c < 0x20 || c == 0x7F)
        return ' ';
    if (c == U'|' || c == U'\\')
        return '/';
    if (c == U'~')
        return '-';
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<char>(c);
    const auto it = high.constFind(c);
    return it == high.cend() ? '?' : static_cast<char>(it.value());
}

QString figure(double value) {
    if (value == 0)
        return QStringLiteral("0");
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

// Codes, items and groups match as the store's "=" matches them.
QString fold(const QString& text) {
    return store::text::foldKey(text);
}

// A code: the field's own replacements, no blanks at the ends, and no trailing "#", which would
// make an item a chapter.
QString codeOf(const QString& text) {
    QString code = text.trimmed();
    code.replace(QLatin1Char('|'), QLatin1Char('/')).replace(QLatin1Char('\\'), QLatin1Char('/'));
    code.replace(QLatin1Char('~'), QLatin1Char('-'));
    while (code.endsWith(QLatin1Char('#')))
        code.chop(1), code.append(QLatin1Char('-'));
    return code;
}

struct Line {
    QString code;
    double factor = 1;
    double quantity = 0;
};

struct Item {
    QString code;
    QString codigoPres;
    QString itemPres;
    QString description;
    QString unit;
    QString group;
    double quantity = 0;
    double price = 0;
    std::vector<Line> labour, materials, equipment, transport;
};

struct Resource {
    QString code;
    QString unit;
    QString summary;
    double price = 0;
    int type = 0;
    QString category; // labour: kept in the long text
};

class Writer {
public:
    void record(const QStringList& fields) {
        out_.append('~');
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                out_.append('|');
            out_.append(raw(fields[i]));
        }
        out_.append("|\r\n");
    }
    QByteArray bytes() const { return out_; }

private:
    // Fields arrive already escaped as text; here they only change code page.
    static QByteArray raw(const QString& text) {
        QByteArray bytes;
        bytes.reserve(text.size());
        for (const char32_t c : text.toUcs4())
            bytes.append(c == U'\\' || c == U'|' ? static_cast<char>(c) : cp1252Of(c));
        return bytes;
    }
    QByteArray out_;
};

// Field text: the separators inside a value replaced, so only the writer's own remain.
QString text(const QString& value) {
    QString t = value;
    t.replace(QLatin1Char('|'), QLatin1Char('/')).replace(QLatin1Char('\\'), QLatin1Char('/'));
    t.replace(QLatin1Char('~'), QLatin1Char('-'));
    return t;
}

class Exporter {
public:
    explicit Exporter(const QString& folder) : folder_(folder), db_(store::Database::openProject(folder)) {}

    QByteArray run(ResultadoExportacionBC3* counts) {
        readHeader();
        readItems();
        readLines();
        Writer w;
        const QString program = QString::fromLatin1(kBc3Program);
        Bc3OwnHeader own{herramienta_, costosIndirectos_, otrosIndirectos_};
        w.record({QStringLiteral("V"), text(institucion_), QStringLiteral("FIEBDC-3/2020"), program,
                  text(proyecto_), QStringLiteral("ANSI"), ownComment(own), QStringLiteral("2")});
        // Decimals: quantities 6, prices and amounts 2, measurements 3; no percentage applies.
        w.record({QStringLiteral("K"), QStringLiteral("2\\2\\3\\6\\2\\2\\2\\2\\\\"),
                  QStringLiteral("0\\0\\0\\0\\0\\"),
                  QStringLiteral("6\\2\\2\\6\\2\\2\\2\\2\\2\\2\\3\\2\\2\\\\"), QString()});
        writeChapters(w);
        writeItems(w);
        writeResources(w);
        if (counts) {
            counts->items = static_cast<int>(items_.size());
            counts->grupos = static_cast<int>(chapters_.size());
            counts->recursos = static_cast<int>(resources_.size());
        }
        return w.bytes();
    }

private:
    void readHeader() {
        auto header = db_.openRecordSet(QStringLiteral("SELECT * FROM Proyecto"));
        if (header.recordCount() == 0)
            return;
        header.moveFirst();
        institucion_ = header.text(QStringLiteral("Institucion"));
        proyecto_ = header.text(QStringLiteral("Proyecto"));
        costosIndirectos_ = header.number(QStringLiteral("CostosIndirectos"));
        otrosIndirectos_ = header.number(QStringLiteral("OtrosIndirectos"));
        herramienta_ = header.boolean(QStringLiteral("Herramienta"));
    }

    void readItems() {
        const std::vector<engine::PrecioItem> prices = engine::PreciosUnitarios(folder_);
        auto stored = db_.openRecordSet(QStringLiteral("SELECT * FROM Presupuesto ORDER BY Indice"));
        if (stored.recordCount() > 0)
            stored.moveFirst();
        QHash<QString, int> codes;
        for (const engine::PrecioItem& p : prices) {
            Item item;
            item.codigoPres = p.codigoPres;
            item.itemPres = p.itemPres;
            item.description = p.descripcionPres;
            item.unit = p.unidadPres;
            item.quantity = p.cantidadPres;
            item.price = p.precio.precioUnitario;
            item.group = stored.eof() ? QString() : stored.text(QStringLiteral("GruposPres")).trimmed();
            if (!stored.eof())
                stored.moveNext();
            ++codes[fold(codeOf(item.codigoPres))];
            items_.push_back(item);
        }
        // Two items sharing a code are told apart by their number.
        QSet<QString> taken;
        for (Item& item : items_) {
            QString code = codeOf(item.codigoPres);
            if (code.isEmpty() || codes.value(fold(code)) > 1)
                code = codeOf(item.codigoPres + QLatin1Char('_') + item.itemPres);
            for (int n = 2; taken.contains(fold(code)); ++n)
                code =
                    codeOf(item.codigoPres + QLatin1Char('_') + item.itemPres) + QStringLiteral("_%1").arg(n);
            taken.insert(fold(code));
            item.code = code;
            at_.insert(key(item.codigoPres, item.itemPres), &item - items_.data());
        }
    }

    static QString key(const QString& codigo, const QString& item) {
        return fold(codigo) + QChar(0x1f) + fold(item);
    }

    Item* itemOf(const store::RecordSet& line) {
        const auto it = at_.constFind(
            key(line.text(QStringLiteral("CodigoPres")), line.text(QStringLiteral("ItemPres"))));
        return it == at_.cend() ? nullptr : &items_[static_cast<std::size_t>(it.value())];
    }

    // A stable code per resource key and price: the prefix and a digest of the key, and a suffix
    // for every further price the same key has in the project.
    // keyPart is the unit of materials and transport and the category of labour; labour and
    // equipment are priced by the hour.
    QString resourceCode(const char* prefix, const QString& summary, const QString& keyPart, double price,
                         int type) {
        const QString key = QString::fromLatin1(prefix) + summary + QChar(0x1f) + keyPart;
        const QString base =
            QString::fromLatin1(prefix) +
            QString::fromLatin1(
                QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(10))
                .toUpper();
        const QString priced = key + QChar(0x1f) + QString::number(price, 'g', 17);
        const auto known = codes_.constFind(priced);
        if (known != codes_.cend())
            return known.value();
        const int n = ++pricesOfKey_[key];
        const QString code = n == 1 ? base : QStringLiteral("%1_%2").arg(base).arg(n);
        codes_.insert(priced, code);
        const bool hourly = type == 1 || type == 2;
        resources_.push_back({code, hourly ? QStringLiteral("h") : keyPart, summary, price, type,
                              type == 1 ? keyPart : QString()});
        return code;
    }

    void readLines() {
        scan(QStringLiteral("ManoObra"), [this](const store::RecordSet& r, Item& item) {
            const QString category = r.text(QStringLiteral("CategoriaMan"));
            item.labour.push_back({resourceCode(kBc3PrefijoManoObra, r.text(QStringLiteral("DescripcionMan")),
                                                category, r.number(QStringLiteral("SalarioMan")), 1),
                                   r.number(QStringLiteral("HorasMan")),
                                   r.number(QStringLiteral("RendimientoMan"))});
        });
        scan(QStringLiteral("Materiales"), [this](const store::RecordSet& r, Item& item) {
            item.materials.push_back(
                {resourceCode(kBc3PrefijoMaterial, r.text(QStringLiteral("DescripcionMat")),
                              r.text(QStringLiteral("UnidadMat")), r.number(QStringLiteral("PrecioUniMat")),
                              3),
                 1, r.number(QStringLiteral("CantidadMat"))});
        });
        scan(QStringLiteral("Maquinaria"), [this](const store::RecordSet& r, Item& item) {
            item.equipment.push_back(
                {resourceCode(kBc3PrefijoEquipo, r.text(QStringLiteral("DescripcionMaq")), QString(),
                              r.number(QStringLiteral("CostoMaq")), 2),
                 r.number(QStringLiteral("HorasMaq")), r.number(QStringLiteral("RendimientoMaq"))});
        });
        scan(QStringLiteral("Transporte"), [this](const store::RecordSet& r, Item& item) {
            item.transport.push_back({resourceCode(kBc3PrefijoTransporte,
                                                   QString::fromLatin1(kBc3PrefijoTextoTransporte) +
                                                       r.text(QStringLiteral("DescripcionTran")),
                                                   r.text(QStringLiteral("UnidadTran")),
                                                   r.number(QStringLiteral("PrecioTran")), 3),
                                      1, r.number(QStringLiteral("CantidadTran"))});
        });
    }

    template <typename F> void scan(const QString& table, F add) {
        auto lines = db_.openRecordSet(QStringLiteral("SELECT * FROM %1").arg(table));
        if (lines.recordCount() > 0)
            lines.moveFirst();
        for (; !lines.eof(); lines.moveNext())
            if (Item* item = itemOf(lines))
                add(lines, *item);
    }

    struct Chapter {
        QString code;
        QString summary;
        std::vector<std::size_t> items;
    };

    void writeChapters(Writer& w) {
        auto groups = db_.openRecordSet(QStringLiteral("SELECT * FROM Grupos ORDER BY OrdenGru"));
        if (groups.recordCount() > 0)
            groups.moveFirst();
        QHash<QString, std::size_t> byName;
        for (; !groups.eof(); groups.moveNext()) {
            const QString name = groups.text(QStringLiteral("Grupo")).trimmed();
            if (name.isEmpty() || byName.contains(fold(name)))
                continue;
            byName.insert(fold(name), chapters_.size());
            chapters_.push_back(
                {codeOf(name) + QLatin1Char('#'), groups.text(QStringLiteral("DescripcionGru")), {}});
        }
        std::vector<std::size_t> ungrouped;
        for (std::size_t i = 0; i < items_.size(); ++i) {
            const QString group = fold(items_[i].group);
            if (group.isEmpty()) {
                ungrouped.push_back(i);
                continue;
            }
            if (!byName.contains(group)) {
                // A group name without its record in Grupos still gathers its items.
                byName.insert(group, chapters_.size());
                chapters_.push_back({codeOf(items_[i].group) + QLatin1Char('#'), items_[i].group, {}});
            }
            chapters_[byName.value(group)].items.push_back(i);
        }
        if (!ungrouped.empty())
            chapters_.push_back({QString::fromLatin1(kBc3SinGrupo), QStringLiteral("Sin grupo"), ungrouped});

        static const QString root = QStringLiteral("KORVEX_OBRA##");
        double total = 0;
        std::vector<double> chapterTotals;
        for (const Chapter& c : chapters_) {
            double sum = 0;
            for (std::size_t i : c.items)
                sum += engine::Redondear(items_[i].quantity * items_[i].price, 2);
            chapterTotals.push_back(engine::Redondear(sum, 2));
            total += chapterTotals.back();
        }
        w.record({QStringLiteral("C"), root, QString(), text(proyecto_), figure(engine::Redondear(total, 2)),
                  QString(), QStringLiteral("0")});
        QString rootList;
        for (const Chapter& c : chapters_)
            rootList += text(c.code) + QStringLiteral("\\1\\1\\");
        w.record({QStringLiteral("D"), root, rootList});
        for (std::size_t g = 0; g < chapters_.size(); ++g) {
            const Chapter& c = chapters_[g];
            w.record({QStringLiteral("C"), c.code, QString(), text(c.summary), figure(chapterTotals[g]),
                      QString(), QStringLiteral("0")});
            QString list;
            for (std::size_t i : c.items)
                list +=
                    items_[i].code + QStringLiteral("\\1\\") + figure(items_[i].quantity) + QLatin1Char('\\');
            w.record({QStringLiteral("D"), c.code, list});
            for (std::size_t k = 0; k < c.items.size(); ++k) {
                const Item& item = items_[c.items[k]];
                w.record({QStringLiteral("M"), c.code + QLatin1Char('\\') + item.code,
                          QStringLiteral("%1\\%2\\").arg(g + 1).arg(k + 1), figure(item.quantity),
                          QStringLiteral("\\\\") + figure(item.quantity) + QStringLiteral("\\\\\\\\"),
                          text(item.itemPres)});
            }
        }
    }

    void writeItems(Writer& w) {
        const double indirect = costosIndirectos_ + otrosIndirectos_;
        bool usesTools = false;
        bool usesIndirect = false;
        QSet<QString> written;
        for (const Item& item : items_) {
            if (written.contains(item.code))
                continue;
            written.insert(item.code);
            w.record({QStringLiteral("C"), item.code, text(item.unit), text(item.description),
                      figure(item.price), QString(), QStringLiteral("0")});
            w.record({QStringLiteral("T"), item.code, text(item.description)});
            QString list;
            auto add = [&list](const Line& line) {
                list += line.code + QLatin1Char('\\') + figure(line.factor) + QLatin1Char('\\') +
                        figure(line.quantity) + QLatin1Char('\\');
            };
            for (const Line& line : item.labour)
                add(line);
            // The allowance right after the labour, so that any reader applies it to the labour alone.
            if (herramienta_ && !item.labour.empty()) {
                add({QString::fromLatin1(kBc3Herramienta), 1, 0.05});
                usesTools = true;
            }
            for (const auto* lines : {&item.materials, &item.equipment, &item.transport})
                for (const Line& line : *lines)
                    add(line);
            if (indirect != 0) {
                add({QString::fromLatin1(kBc3Indirectos), 1, indirect / 100});
                usesIndirect = true;
            }
            if (!list.isEmpty())
                w.record({QStringLiteral("D"), item.code, list});
        }
        if (usesTools)
            w.record({QStringLiteral("C"), QString::fromLatin1(kBc3Herramienta), QStringLiteral("%"),
                      QStringLiteral("Herramienta menor (5% de la mano de obra)"), QStringLiteral("5"),
                      QString(), QStringLiteral("0")});
        if (usesIndirect)
            w.record({QStringLiteral("C"), QString::fromLatin1(kBc3Indirectos), QStringLiteral("%"),
                      QStringLiteral("Costos indirectos"), figure(indirect), QString(), QStringLiteral("0")});
    }

    void writeResources(Writer& w) {
        for (const Resource& r : resources_) {
            w.record({QStringLiteral("C"), r.code, text(r.unit), text(r.summary), figure(r.price), QString(),
                      QString::number(r.type)});
            if (!r.category.isEmpty())
                w.record({QStringLiteral("T"), r.code,
                          QString::fromLatin1(kBc3PrefijoCategoria) + text(r.category)});
        }
    }

    QString folder_;
    store::Database db_;
    QString institucion_;
    QString proyecto_;
    double costosIndirectos_ = 0;
    double otrosIndirectos_ = 0;
    bool herramienta_ = false;
    std::vector<Item> items_;
    QHash<QString, qsizetype> at_;
    std::vector<Chapter> chapters_;
    std::vector<Resource> resources_;
    QHash<QString, QString> codes_;
    QHash<QString, int> pricesOfKey_;
};

} // namespace

QByteArray bc3Field(const QString& value) {
    QByteArray bytes;
    for (const char32_t c : value.toUcs4())
        bytes.append(cp1252Of(c));
    return bytes;
}

QByteArray GenerarBC3(const QString& projectFolder, ResultadoExportacionBC3* counts) {
    Exporter exporter(projectFolder);
    return exporter.run(counts);
}

ResultadoExportacionBC3 ExportarBC3(const QString& projectFolder, const QString& path) {
    ResultadoExportacionBC3 result;
    auto fail = [&result](const QString& message) {
        result.ok = false;
        result.message = message;
        result.title = QStringLiteral("Error");
        return result;
    };
    QByteArray bytes;
    try {
        bytes = GenerarBC3(projectFolder, &result);
    } catch (const store::StoreError& error) {
        return fail(error.message());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("No se pudo escribir el archivo %1: %2").arg(path, file.errorString()));
    if (file.write(bytes) != bytes.size()) {
        const QString error = file.errorString();
        file.cancelWriting();
        return fail(QStringLiteral("No se pudo escribir el archivo %1: %2").arg(path, error));
    }
    if (!file.commit())
        return fail(QStringLiteral("No se pudo escribir el archivo %1: %2").arg(path, file.errorString()));
    return result;
}

} // namespace korvex::exchange
