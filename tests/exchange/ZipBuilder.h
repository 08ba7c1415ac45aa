#pragma once
// Small zip archives made by hand for the reader tests and the fuzz seeds: stored (uncompressed)
// parts with their CRC, so any byte of a part can be written as the test wants it.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <zlib.h>

namespace korvex::testing {

// A little-endian field of the given number of bytes.
inline QByteArray le(quint32 value, int bytes) {
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}

inline QByteArray storedZip(const QList<QPair<QString, QByteArray>>& parts) {
    QByteArray out;
    QByteArray directory;
    for (const auto& [name, data] : parts) {
        const QByteArray n = name.toUtf8();
        const quint32 crc = crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()));
        const quint32 size = quint32(data.size());
        const quint32 offset = quint32(out.size());
        // Version 20, no flags, stored, no time or date.
        out += le(0x04034b50, 4) + le(20, 2) + le(0, 2) + le(0, 2) + le(0, 4) + le(crc, 4) + le(size, 4) +
               le(size, 4) + le(quint32(n.size()), 2) + le(0, 2) + n + data;
        directory += le(0x02014b50, 4) + le(20, 2) + le(20, 2) + le(0, 2) + le(0, 2) + le(0, 4) + le(crc, 4) +
                     le(size, 4) + le(size, 4) + le(quint32(n.size()), 2) + le(0, 2) + le(0, 2) + le(0, 2) +
                     le(0, 2) + le(0, 4) + le(offset, 4) + n;
    }
    const quint32 count = quint32(parts.size());
    return out + directory + le(0x06054b50, 4) + le(0, 4) + le(count, 2) + le(count, 2) +
           le(quint32(directory.size()), 4) + le(quint32(out.size()), 4) + le(0, 2);
}

// A workbook with one sheet "Hoja1" whose sheetData is given, and shared strings.
inline QByteArray minimalWorkbook(const QByteArray& sheetData, const QByteArray& sharedStrings = {}) {
    const QByteArray ns = "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                          "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"";
    QList<QPair<QString, QByteArray>> parts = {
        {"_rels/.rels", "<Relationships><Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/"
                        "officeDocument/2006/relationships/officeDocument\" Target=\"xl/workbook.xml\"/>"
                        "</Relationships>"},
        {"xl/workbook.xml", "<workbook " + ns +
                                "><sheets><sheet name=\"Hoja1\" sheetId=\"1\" r:id=\"rId1\"/>"
                                "</sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships><Relationship Id=\"rId1\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
         "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
         "Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
         "Target=\"sharedStrings.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml",
         "<worksheet " + ns + "><sheetData>" + sheetData + "</sheetData></worksheet>"},
    };
    if (!sharedStrings.isEmpty())
        parts.append({"xl/sharedStrings.xml", "<sst " + ns + ">" + sharedStrings + "</sst>"});
    return storedZip(parts);
}

} // namespace korvex::testing
