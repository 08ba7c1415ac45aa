#include "exchange/ZipArchive.h"

#include <zlib.h>

namespace korvex::exchange {

namespace {

constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint32 kDirectoryEntry = 0x02014b50;
constexpr quint32 kLocalHeader = 0x04034b50;
constexpr qsizetype kEndRecordSize = 22;
constexpr qsizetype kDirectoryEntrySize = 46;
constexpr qsizetype kLocalHeaderSize = 30;
constexpr quint16 kEncrypted = 0x0001;
constexpr quint16 kStored = 0;
constexpr quint16 kDeflated = 8;

// Little-endian reads that stay inside the data: out of range reads as "absent".
class Bytes {
public:
    explicit Bytes(const QByteArray& data) : data_(data) {}
    bool has(quint64 offset, quint64 length) const {
        return offset <= quint64(data_.size()) && length <= quint64(data_.size()) - offset;
    }
    quint16 u16(quint64 at) const { return has(at, 2) ? quint16(byte(at) | byte(at + 1) << 8) : 0; }
    quint32 u32(quint64 at) const { return has(at, 4) ? quint32(u16(at)) | quint32(u16(at + 2)) << 16 : 0; }
    quint64 u64(quint64 at) const { return has(at, 8) ? quint64(u32(at)) | quint64(u32(at + 4)) << 32 : 0; }

private:
    quint32 byte(quint64 at) const { return static_cast<unsigned char>(data_[qsizetype(at)]); }
    const QByteArray& data_;
};

// Sizes and offset of 0xFFFFFFFF are in the entry's ZIP64 extra field, in this order.
void readZip64Extra(const Bytes& b, quint64 at, quint64 length, quint64& size, quint64& compressed,
                    quint64& offset) {
    const quint64 end = at + length;
    while (at + 4 <= end) {
        const quint16 id = b.u16(at);
        const quint16 fieldLength = b.u16(at + 2);
        quint64 p = at + 4;
        if (id == 0x0001) {
            for (quint64* value : {&size, &compressed, &offset}) {
                if (*value == 0xFFFFFFFFu && p + 8 <= at + 4 + fieldLength) {
                    *value = b.u64(p);
                    p += 8;
                }
            }
            return;
        }
        at += 4 + fieldLength;
    }
}

} // namespace

bool ZipArchive::open(const QByteArray& data, int maxEntries, QString& error) {
    data_ = data;
    entries_.clear();
    const Bytes b(data_);
    // The end record is the last thing in the archive, before a comment of up to 64 KB.
    qsizetype end = -1;
    for (qsizetype at = data_.size() - kEndRecordSize;
         at >= 0 && at >= data_.size() - kEndRecordSize - 0xFFFF; --at) {
        if (b.u32(quint64(at)) == kEndOfDirectory) {
            end = at;
            break;
        }
    }
    if (end < 0) {
        error = QStringLiteral("no es un archivo comprimido (zip) completo");
        return false;
    }
    const quint64 count = b.u16(quint64(end) + 10);
    const quint64 directorySize = b.u32(quint64(end) + 12);
    quint64 at = b.u32(quint64(end) + 16);
    if (count > quint64(maxEntries)) {
        error = QStringLiteral("el archivo comprimido tiene más de %1 partes").arg(maxEntries);
        return false;
    }
    if (!b.has(at, directorySize)) {
        error = QStringLiteral("el índice del archivo comprimido está dañado");
        return false;
    }
    for (quint64 i = 0; i < count; ++i) {
        if (!b.has(at, kDirectoryEntrySize) || b.u32(at) != kDirectoryEntry) {
            error = QStringLiteral("el índice del archivo comprimido está dañado");
            return false;
        }
        Entry e;
        e.flags = b.u16(at + 8);
        e.method = b.u16(at + 10);
        e.crc = b.u32(at + 16);
        e.compressedSize = b.u32(at + 20);
        e.size = b.u32(at + 24);
        const quint16 nameLength = b.u16(at + 28);
        const quint16 extraLength = b.u16(at + 30);
        const quint16 commentLength = b.u16(at + 32);
        e.localOffset = b.u32(at + 42);
        if (!b.has(at + kDirectoryEntrySize, quint64(nameLength) + extraLength + commentLength)) {
            error = QStringLiteral("el índice del archivo comprimido está dañado");
            return false;
        }
        const QByteArray rawName = data_.mid(qsizetype(at + kDirectoryEntrySize), nameLength);
        e.name = QString::fromUtf8(rawName);
        readZip64Extra(b, at + kDirectoryEntrySize + nameLength, extraLength, e.size, e.compressedSize,
                       e.localOffset);
        entries_.push_back(std::move(e));
        at += kDirectoryEntrySize + nameLength + extraLength + commentLength;
    }
    return true;
}

const ZipArchive::Entry* ZipArchive::find(const QString& name) const {
    for (const Entry& e : entries_) {
        if (e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    }
    return nullptr;
}

bool ZipArchive::contains(const QString& name) const {
    return find(name) != nullptr;
}

bool ZipArchive::read(const QString& name, qint64 maxBytes, qint64& budget, QByteArray& out,
                      QString& error) const {
    out.clear();
    const Entry* e = find(name);
    const auto damaged = [&] {
        error = QStringLiteral("la parte %1 del libro está dañada").arg(name);
        return false;
    };
    if (!e) {
        error = QStringLiteral("falta la parte %1 del libro").arg(name);
        return false;
    }
    if (e->flags & kEncrypted) {
        error = QStringLiteral("el libro está protegido con contraseña");
        return false;
    }
    const Bytes b(data_);
    if (!b.has(e->localOffset, kLocalHeaderSize) || b.u32(e->localOffset) != kLocalHeader)
        return damaged();
    const quint64 start =
        e->localOffset + kLocalHeaderSize + b.u16(e->localOffset + 26) + b.u16(e->localOffset + 28);
    if (!b.has(start, e->compressedSize))
        return damaged();
    const qint64 limit = std::min(maxBytes, budget);
    const auto tooLarge = [&] {
        error = QStringLiteral("el libro se expande más allá del límite de %1 MB")
                    .arg(std::max<qint64>(limit >> 20, 1));
        return false;
    };
    const char* source = data_.constData() + start;
    if (e->method == kStored) {
        if (e->compressedSize > quint64(limit))
            return tooLarge();
        out = QByteArray(source, qsizetype(e->compressedSize));
    } else if (e->method == kDeflated) {
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return damaged();
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(source));
        z.avail_in = uInt(std::min<quint64>(e->compressedSize, 0x7FFFFFFF));
        char chunk[65536];
        int status = Z_OK;
        while (status == Z_OK) {
            z.next_out = reinterpret_cast<Bytef*>(chunk);
            z.avail_out = sizeof chunk;
            status = inflate(&z, Z_NO_FLUSH);
            const qsizetype produced = qsizetype(sizeof chunk - z.avail_out);
            if (out.size() + produced > limit) {
                inflateEnd(&z);
                return tooLarge();
            }
            out.append(chunk, produced);
            if (status == Z_BUF_ERROR && z.avail_in == 0)
                break; // the data ended before the stream did
        }
        inflateEnd(&z);
        if (status != Z_STREAM_END)
            return damaged();
    } else {
        error = QStringLiteral("la parte %1 usa un método de compresión desconocido (%2)")
                    .arg(name)
                    .arg(e->method);
        return false;
    }
    budget -= out.size();
    if (quint64(out.size()) != e->size ||
        crc32(0, reinterpret_cast<const Bytef*>(out.constData()), uInt(out.size())) != e->crc)
        return damaged();
    return true;
}

} // namespace korvex::exchange
