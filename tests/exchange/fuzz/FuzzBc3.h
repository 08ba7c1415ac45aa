#pragma once
// One input of the BC3 fuzz target: any bytes read as a FIEBDC-3 file, and whatever the reader
// accepts planned as a budget, must end in a document or a Spanish message, never a crash.
#include "exchange/Bc3Budget.h"
#include "exchange/Bc3Reader.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace korvex::testing {

inline void fuzzBc3(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const exchange::Bc3ReadResult read = exchange::readBc3(bytes);
    if (!read.ok)
        return;
    const exchange::Bc3Budget budget = exchange::planBc3Budget(read.document);
    (void)budget.lineCount();
}

} // namespace korvex::testing
