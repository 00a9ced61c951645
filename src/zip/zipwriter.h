#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

class QIODevice;
class QSaveFile;

// Byte layout of the records this writer produces (PKWARE APPNOTE.TXT, 32-bit
// fields only). Stateless, so the layout can be checked without any file.
namespace ZipFormat {

inline constexpr quint16 MethodStored = 0;
inline constexpr quint16 MethodDeflated = 8;
// General-purpose flag bits 1-2 = 01 for deflate: "maximum compression" (levels 8-9).
inline constexpr quint16 FlagMaximumCompression = 0x0002;

inline constexpr qsizetype MaxEntryNameLength = 259; // UTF-16 code units
inline constexpr qsizetype MaxEntryCount = 0xFFFF;
inline constexpr qint64 MaxArchiveSize = 0xFFFFFFFF; // every size and offset fits 32 bits

struct DosDateTime
{
    quint16 time = 0;
    quint16 date = 0;
};

// Everything the local header and the central directory record of one entry hold.
struct EntryRecord
{
    QByteArray name; // UTF-8, "/" as separator
    quint16 method = MethodDeflated;
    quint16 flags = FlagMaximumCompression;
    DosDateTime modified;
    quint32 crc32 = 0;
    quint32 compressedSize = 0;
    quint32 uncompressedSize = 0;
    quint16 internalAttributes = 0;
    quint32 externalAttributes = 0;
    quint32 modificationTime = 0; // Unix seconds, as the "UT" extra field stores them
    quint32 accessTime = 0;
    quint32 creationTime = 0;
    quint32 localHeaderOffset = 0;
};

// MS-DOS time and date of a moment taken in UTC. Clamped to the representable
// range 1980-01-01 00:00:00 .. 2107-12-31 23:59:58; odd seconds round down.
DosDateTime dosDateTime(const QDateTime &moment);

// True when the entry is stored rather than deflated: its extension (from the
// last ".") is .Z .zip .zoo .arc .lzh .arj .gz or .tgz, in any case.
bool isStoredByName(QStringView entryName);

QByteArray localHeader(const EntryRecord &entry);
QByteArray centralRecord(const EntryRecord &entry);
QByteArray endRecord(quint16 entryCount, quint32 directorySize, quint32 directoryOffset);

} // namespace ZipFormat

// Writes one zip archive: Create, AddFile for every entry, Close.
//
// Create(path) writes into a QSaveFile, so the archive appears at (or replaces
// the file at) the path only when Close succeeds; a failure, an abandoned
// writer or a crash leaves any earlier file untouched. Create(device) writes
// into a caller-owned device instead (used by tests to write into memory).
class ZipWriter
{
public:
    enum class Status
    {
        Ok = 0,
        InUse,            // Create while an archive is open
        NotOpen,          // no archive open: never created, or already closed
        CreateFailed,     // the target cannot be created
        BadArgument,      // empty or over-long entry name, unusable device
        SourceUnreadable, // not a regular file, cannot be opened or read
        TooLarge,         // entry or archive would pass the 4 GiB limit of 32-bit fields
        TooManyEntries,   // more than 65535 entries
        CompressFailed,   // zlib refused
        WriteFailed,      // the archive could not be written (disk full...); sticky
        CommitFailed,     // the finished archive could not replace the target
    };

    ZipWriter();
    // An archive still open is abandoned: nothing appears at its path.
    ~ZipWriter();
    Q_DISABLE_COPY_MOVE(ZipWriter)

    Status Create(const QString &path);
    // The device must be open for writing, random-access and empty. The writer
    // never owns or closes it; after a successful Close it holds the archive.
    Status Create(QIODevice *device);
    // On failure nothing of the entry stays in the archive, and later entries
    // can still be added unless the status is WriteFailed.
    Status AddFile(const QString &entryName, const QString &sourcePath);
    // An entry made from bytes in memory: compressed first, then written with
    // its final header in one piece, without a seek back. Dated modified (now
    // when invalid), a regular file the owner may read and write.
    Status AddData(const QString &entryName, QByteArrayView data, const QDateTime &modified = {});
    Status Close();

    bool isOpen() const { return m_device != nullptr; }
    // Text of the most recent failure, for the user; it names the archive
    // created from a path.
    QString errorString() const { return m_errorString; }

private:
    Status fail(Status status, const QString &text);
    Status checkNewEntry(const QString &entryName);
    static QByteArray entryNameBytes(const QString &entryName);
    Status failWrite();
    bool writeBytes(const char *data, qint64 size);
    bool writeBytes(const QByteArray &bytes) { return writeBytes(bytes.constData(), bytes.size()); }
    bool seekTo(qint64 position);
    bool rollBack(qint64 position);
    Status copyData(QIODevice &source, qint64 expectedSize, qint64 recordSize,
                    ZipFormat::EntryRecord &entry);
    void release();

    std::unique_ptr<QSaveFile> m_saveFile;
    QIODevice *m_device = nullptr;
    std::vector<ZipFormat::EntryRecord> m_entries;
    qint64 m_offset = 0;        // end of the last complete entry
    qint64 m_directorySize = 0; // central directory size for m_entries
    bool m_writeFailed = false;
    QString m_errorString;
    QString m_path; // the archive's file, when created from a path
};
