#pragma once
// Reads one sheet of an .xlsx workbook: the archive opened with QuaZip, its parts read with
// QXmlStreamReader. Numbers come as numbers; shared strings, inline strings and the texts of
// formulas as texts. Every part is bounded (see ReadLimits): an archive that expands past its
// bound, too many cells or shared strings, or too deep a nesting are refused.

#include "exchange/Table.h"

#include <QByteArray>
#include <QString>

namespace korvex::exchange {

// The sheet named sheetName (letter case ignored), the first sheet when it is empty. fileLabel
// names the file in messages. Never throws.
ReadOutcome readXlsx(const QByteArray& data, const QString& sheetName, const QString& fileLabel,
                     const ReadLimits& limits = {});

// True when data starts as a zip archive does.
bool looksLikeZip(const QByteArray& data);
// True when data is an OLE compound file: an encrypted (password-protected) workbook, or the old
// binary .xls format.
bool looksLikeCompoundFile(const QByteArray& data);

} // namespace korvex::exchange
