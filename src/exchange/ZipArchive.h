#pragma once
// The parts of a zip archive held in memory (an .xlsx workbook is one), read with zlib. Only what
// a workbook needs: stored and deflated parts, sizes past 4 GB not supported. Every offset is
// checked against the archive, and a part is inflated only up to the bound the caller gives,
// whatever sizes the archive claims, so a crafted archive cannot make it read outside the data
// or expand without end.
//
// QuaZip is not used here: the Debian build of QuaZip exports the minizip functions (zipOpen,
// unzOpen...) with its own incompatible meaning, and in a process that also links libxlsxwriter
// (which calls the system's minizip) libxlsxwriter's calls land in QuaZip and crash.

#include <QByteArray>
#include <QString>
#include <vector>

namespace korvex::exchange {

class ZipArchive {
public:
    // Reads the archive's directory; false with a Spanish reason when it is not a zip archive or
    // is damaged. At most maxEntries parts are accepted.
    bool open(const QByteArray& data, int maxEntries, QString& error);

    // Whether the archive holds a part of that name (letter case ignored, as in a workbook).
    bool contains(const QString& name) const;

    // Inflates a part. Refused (false, with the reason) when it is encrypted, damaged, of an
    // unknown method, or expands past maxBytes; budget is lowered by what was inflated and
    // refuses once it runs out.
    bool read(const QString& name, qint64 maxBytes, qint64& budget, QByteArray& out, QString& error) const;

private:
    struct Entry {
        QString name;
        quint16 flags = 0;
        quint16 method = 0;
        quint32 crc = 0;
        quint64 compressedSize = 0;
        quint64 size = 0;
        quint64 localOffset = 0;
    };
    const Entry* find(const QString& name) const;

    QByteArray data_;
    std::vector<Entry> entries_;
};

} // namespace korvex::exchange
