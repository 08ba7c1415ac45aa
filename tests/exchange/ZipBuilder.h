#pragma once
// Small zip archives made by hand for the reader tests and the fuzz seeds: stored (uncompressed)
// parts with their CRC, so any byte of a part can be written as the test wants it.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <zlib.h>

namespace korvex::testing {

inline void putLe(QByteArray& out, quint32 value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
}

inline QByteArray storedZip(const QList<QPair<QString, QByteArray>>& parts) {
    QByteArray out;
    QByteArray directory;
    for (const auto& [name, data] : parts) {
        const QByteArray n = name.toUtf8();
        const quint32 crc = crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size()));
        const quint32 offset = quint32(out.size());
        putLe(out, 0x04034b50, 4);
        putLe(out, 20, 2);
        putLe(out, 0, 2); // flags
        putLe(out, 0, 2); // stored
        putLe(out, 0, 4); // time, date
        putLe(out, crc, 4);
        putLe(out, quint32(data.size()), 4);
        putLe(out, quint32(data.size()), 4);
        putLe(out, quint32(n.size()), 2);
        putLe(out, 0, 2);
        out.append(n).append(data);
        putLe(directory, 0x02014b50, 4);
        putLe(directory, 20, 2);
        putLe(directory, 20, 2);
        putLe(directory, 0, 2);
        putLe(directory, 0, 2);
        putLe(directory, 0, 4);
        putLe(directory, crc, 4);
        putLe(directory, quint32(data.size()), 4);
        putLe(directory, quint32(data.size()), 4);
        putLe(directory, quint32(n.size()), 2);
        putLe(directory, 0, 2);
        putLe(directory, 0, 2);
        putLe(directory, 0, 2);
        putLe(directory, 0, 2);
        putLe(directory, 0, 4);
        putLe(directory, offset, 4);
        directory.append(n);
    }
    const quint32 directoryOffset = quint32(out.size());
    out.append(directory);
    putLe(out, 0x06054b50, 4);
    putLe(out, 0, 4);
    putLe(out, quint32(parts.size()), 2);
    putLe(out, quint32(parts.size()), 2);
    putLe(out, quint32(directory.size()), 4);
    putLe(out, directoryOffset, 4);
    putLe(out, 0, 2);
    return out;
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
