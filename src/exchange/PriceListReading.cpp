#include "exchange/PriceListReading.h"

#include "engine/Numbers.h"
#include "exchange/Workbook.h"

#include <cmath>

namespace korvex::exchange {

namespace {

// The rows searched for the column titles.
constexpr int kTitleSearchRows = 100;

// Lower case, without accents, blanks collapsed, a final ":" or "." dropped.
QString normalised(const QString& text) {
    QString plain;
    for (const QChar c : text.normalized(QString::NormalizationForm_D)) {
        if (c.category() != QChar::Mark_NonSpacing)
            plain.append(c.toLower());
    }
    plain = plain.simplified();
    while (plain.endsWith(':') || plain.endsWith('.'))
        plain.chop(1);
    return plain;
}

bool isDescriptionTitle(const QString& t) {
    return t.startsWith(QLatin1String("descrip")) || t == QLatin1String("concepto") ||
           t == QLatin1String("recurso") || t == QLatin1String("nombre") || t == QLatin1String("detalle");
}

bool isUnitTitle(const QString& t) {
    return t.startsWith(QLatin1String("unidad")) || t == QLatin1String("ud") || t == QLatin1String("und") ||
           t == QLatin1String("u") || t == QLatin1String("unid");
}

bool isCategoryTitle(const QString& t) {
    return t.startsWith(QLatin1String("categor"));
}

bool isKindTitle(const QString& t) {
    return t == QLatin1String("tipo") || t.startsWith(QLatin1String("tipo ")) || t == QLatin1String("clase");
}

// "PRECIO TOTAL" is a product, not a price.
bool isPriceTitle(const QString& t) {
    if (t.contains(QLatin1String("total")))
        return false;
    for (const char* start : {"precio", "costo", "coste", "salario", "sal", "tarifa", "valor"}) {
        if (t.startsWith(QLatin1String(start)))
            return true;
    }
    return false;
}

int columnFromLetters(const QString& letters) {
    if (letters.isEmpty() || letters.size() > 3)
        return -1;
    int col = 0;
    for (const QChar c : letters) {
        const QChar u = c.toUpper();
        if (u < 'A' || u > 'Z')
            return -1;
        col = col * 26 + (u.unicode() - 'A' + 1);
    }
    return col - 1;
}

const TableRow* firstNonEmptyRow(const Table& table) {
    for (const TableRow& row : table.rows) {
        for (const TableCell& cell : row.cells) {
            if (!cell.isEmpty())
                return &row;
        }
    }
    return nullptr;
}

QString cellText(const TableRow& row, int col) {
    return col < 0 ? QString() : row.cell(col).asText().simplified();
}

QString refusal(int row, const QString& why) {
    return QStringLiteral("Fila %1: %2").arg(row).arg(why);
}

} // namespace

std::optional<PriceColumns> parseColumnChoice(const QString& text, QString& error) {
    PriceColumns columns;
    for (const QString& part : text.split(',', Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf('=');
        const QString name = normalised(part.left(eq));
        const int col = eq < 0 ? -1 : columnFromLetters(part.mid(eq + 1).trimmed());
        int* target = nullptr;
        if (name == QLatin1String("descripcion"))
            target = &columns.description;
        else if (name == QLatin1String("unidad"))
            target = &columns.unit;
        else if (name == QLatin1String("categoria"))
            target = &columns.category;
        else if (name == QLatin1String("precio"))
            target = &columns.price;
        else if (name == QLatin1String("tipo"))
            target = &columns.kind;
        if (!target || col < 0) {
            error =
                QStringLiteral("Columna no válida: «%1» (se espera descripcion=B,unidad=C,precio=D; también "
                               "categoria= y tipo=)")
                    .arg(part.trimmed());
            return std::nullopt;
        }
        *target = col;
    }
    if (!columns.usable()) {
        error =
            QStringLiteral("Faltan columnas en «%1»: se necesitan al menos descripcion= y precio=").arg(text);
        return std::nullopt;
    }
    return columns;
}

PriceColumns columnsFromTitles(const TableRow& row) {
    PriceColumns columns;
    for (int col = 0; col < static_cast<int>(row.cells.size()); ++col) {
        const TableCell& cell = row.cells[static_cast<std::size_t>(col)];
        if (cell.kind != TableCell::Kind::Text)
            continue;
        const QString title = normalised(cell.text);
        const auto take = [&](int& target, bool matches) {
            if (matches && target < 0) {
                target = col;
                return true;
            }
            return false;
        };
        take(columns.description, isDescriptionTitle(title)) ||
            take(columns.category, isCategoryTitle(title)) || take(columns.unit, isUnitTitle(title)) ||
            take(columns.kind, isKindTitle(title)) || take(columns.price, isPriceTitle(title));
    }
    return columns;
}

QString describeColumns(const TableRow& row) {
    QStringList found;
    for (int col = 0; col < static_cast<int>(row.cells.size()); ++col) {
        const QString text = cellText(row, col);
        if (!text.isEmpty())
            found.append(QStringLiteral("%1 «%2»").arg(columnName(col), text.left(40)));
    }
    return found.join(QStringLiteral(", "));
}

QString kindName(TipoRecurso kind) {
    switch (kind) {
    case TipoRecurso::Material:
        return QStringLiteral("materiales");
    case TipoRecurso::Equipo:
        return QStringLiteral("equipo");
    case TipoRecurso::ManoObra:
        return QStringLiteral("mano");
    case TipoRecurso::Transporte:
        break;
    }
    return QStringLiteral("transporte");
}

std::optional<TipoRecurso> kindFromText(const QString& text) {
    const QString t = normalised(text);
    if (t.startsWith(QLatin1String("material")))
        return TipoRecurso::Material;
    if (t.startsWith(QLatin1String("equipo")) || t.startsWith(QLatin1String("maquinaria")) ||
        t.startsWith(QLatin1String("herramienta")) || t.startsWith(QLatin1String("maquina")))
        return TipoRecurso::Equipo;
    if (t.startsWith(QLatin1String("mano")) || t == QLatin1String("m.o") || t == QLatin1String("mo"))
        return TipoRecurso::ManoObra;
    if (t.startsWith(QLatin1String("transporte")))
        return TipoRecurso::Transporte;
    return std::nullopt;
}

std::optional<double> priceFromCell(const TableCell& cell, bool commaDecimals) {
    if (cell.kind == TableCell::Kind::Number)
        return std::isfinite(cell.number) ? std::optional<double>(cell.number) : std::nullopt;
    QString text = cell.text;
    for (const QChar symbol : {QChar('$'), QChar(0x20AC), QChar(0xA0), QChar(' ')})
        text.remove(symbol);
    if (commaDecimals) {
        text.remove('.');
        text.replace(',', '.');
    }
    return engine::ConvertirNumero(text);
}

PriceListReading readPriceList(const Table& table, const PriceListOptions& options) {
    PriceListReading reading;
    const TableRow* first = firstNonEmptyRow(table);
    if (!first) {
        reading.message = QStringLiteral("La lista no tiene ninguna fila con datos");
        return reading;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < table.rows.size() && i < kTitleSearchRows; ++i) {
        const PriceColumns found = columnsFromTitles(table.rows[i]);
        if (found.usable()) {
            reading.titleRow = table.rows[i].number;
            reading.columns = found;
            start = i + 1;
            break;
        }
    }
    if (options.columns) {
        reading.columns = *options.columns;
        // Titles the search did not recognise still head the list: a first row whose price is
        // a word, not a number.
        const TableCell& price = first->cell(reading.columns.price);
        if (reading.titleRow == 0 && price.kind == TableCell::Kind::Text &&
            !priceFromCell(price, table.commaDecimals)) {
            reading.titleRow = first->number;
            start = static_cast<std::size_t>(first - table.rows.data()) + 1;
        }
    } else if (reading.titleRow == 0) {
        reading.message =
            QStringLiteral("No se encontró la fila de títulos (columnas «descripción» y «precio»); "
                           "indique las columnas con --columns. Columnas encontradas: %1")
                .arg(describeColumns(*first));
        return reading;
    }
    const PriceColumns& c = reading.columns;
    for (std::size_t i = start; i < table.rows.size(); ++i) {
        const TableRow& row = table.rows[i];
        const QString description = cellText(row, c.description);
        const TableCell& priceCell = row.cell(c.price);
        if (description.isEmpty() || priceCell.isEmpty()) {
            reading.withoutPrice.push_back(row.number);
            continue;
        }
        const std::optional<double> price = priceFromCell(priceCell, table.commaDecimals);
        if (!price || *price < 0) {
            reading.message = refusal(row.number, QStringLiteral("el precio «%1» de «%2» no es un número%3")
                                                      .arg(priceCell.asText().simplified(), description,
                                                           price ? QStringLiteral(" positivo") : QString()));
            reading.entries.clear();
            return reading;
        }
        PriceListEntry entry;
        entry.row = row.number;
        entry.description = description;
        entry.price = *price;
        entry.kind = options.kind.value_or(TipoRecurso::Material);
        if (const QString kindText = cellText(row, c.kind); !kindText.isEmpty()) {
            const std::optional<TipoRecurso> kind = kindFromText(kindText);
            if (!kind) {
                reading.message =
                    refusal(row.number, QStringLiteral("tipo desconocido «%1» (material, equipo, "
                                                       "mano de obra o transporte)")
                                            .arg(kindText));
                reading.entries.clear();
                return reading;
            }
            entry.kind = *kind;
        }
        if (entry.kind == TipoRecurso::ManoObra)
            entry.second = cellText(row, c.category >= 0 ? c.category : c.unit);
        else if (entry.kind != TipoRecurso::Equipo)
            entry.second = cellText(row, c.unit);
        reading.entries.push_back(std::move(entry));
    }
    reading.ok = true;
    return reading;
}

} // namespace korvex::exchange
