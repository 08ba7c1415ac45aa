#pragma once
// One input of the spreadsheet fuzz targets: any bytes read as an .xlsx workbook or as a CSV file,
// and whatever the reader accepts read as a price list, must end in a table or a Spanish message,
// never a crash, a read outside the data or an unbounded allocation.
#include "exchange/CsvReader.h"
#include "exchange/PriceListReading.h"
#include "exchange/XlsxReader.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace korvex::testing {

// Bounds small enough that every input is quick, large enough for every seed.
inline exchange::ReadLimits fuzzLimits() {
    exchange::ReadLimits limits;
    limits.maxFileBytes = 1 << 20;
    limits.maxExpandedBytes = 8 << 20;
    limits.maxEntryBytes = 4 << 20;
    limits.maxCells = 100'000;
    limits.maxSharedStrings = 10'000;
    limits.maxMilliseconds = 10'000;
    return limits;
}

inline void readAsPriceList(const exchange::ReadOutcome& read) {
    if (!read.ok)
        return;
    exchange::readPriceList(read.table, {});
    exchange::PriceColumns columns;
    columns.description = 0;
    columns.unit = 1;
    columns.price = 2;
    columns.kind = 3;
    exchange::readPriceList(read.table, {engine::TipoRecurso::ManoObra, columns});
}

inline void fuzzXlsx(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    readAsPriceList(exchange::readXlsx(bytes, {}, "fuzz.xlsx", fuzzLimits()));
}

inline void fuzzCsv(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    readAsPriceList(exchange::readCsv(bytes, "fuzz.csv", fuzzLimits()));
}

} // namespace korvex::testing
