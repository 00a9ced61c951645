#include "zip/zipwriter.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <zlib.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr quint32 LocalHeaderSignature = 0x04034B50;
constexpr quint32 CentralRecordSignature = 0x02014B50;
constexpr quint32 EndRecordSignature = 0x06054B50;
constexpr qint64 LocalHeaderFixedSize = 30;
constexpr qint64 CentralRecordFixedSize = 46;
constexpr qint64 EndRecordSize = 22;

constexpr quint16 VersionMadeBy = 0x0B17; // host 11 (NTFS), format version 2.3
constexpr quint16 VersionNeeded = 20;     // 2.0: deflate

// Extended-timestamp extra field ("UT"). Flags 0x07 announce modification,
// access and creation time; the central copy keeps the flags but carries only
// the modification time, as the field's definition allows.
constexpr quint16 TimestampTag = 0x5455;
constexpr quint8 TimestampFlags = 0x07;
constexpr quint16 LocalExtraSize = 17;  // tag, length 13, flags, 3 times
constexpr quint16 CentralExtraSize = 9; // tag, length 5, flags, 1 time

constexpr quint32 DosReadOnly = 0x01;
constexpr quint32 DosHidden = 0x02;
constexpr quint32 DosArchive = 0x20;
constexpr quint32 UnixRegularFile = 0x8000;
constexpr quint32 UnixOwnerRead = 0x0100;
constexpr quint32 UnixOwnerWrite = 0x0080;

constexpr qint64 BlockSize = 16 * 1024;
constexpr int DeflateLevel = 8;
constexpr int RawDeflateWindowBits = -15; // negative: no zlib wrapper; 15: 32 KB window
constexpr int DeflateMemLevel = 8;

template<typename T> void appendLe(QByteArray &out, T value)
{
    char bytes[sizeof(T)];
    qToLittleEndian(value, bytes);
    out.append(bytes, sizeof(T));
}

qint64 localHeaderSize(qsizetype nameSize)
{
    return LocalHeaderFixedSize + nameSize + LocalExtraSize;
}

qint64 centralRecordSize(qsizetype nameSize)
{
    return CentralRecordFixedSize + nameSize + CentralExtraSize;
}

// The fields from "version needed" to "name length", shared by both headers.
void appendCommonFields(QByteArray &out, const ZipFormat::EntryRecord &entry)
{
    appendLe<quint16>(out, VersionNeeded);
    appendLe<quint16>(out, entry.flags);
    appendLe<quint16>(out, entry.method);
    appendLe<quint16>(out, entry.modified.time);
    appendLe<quint16>(out, entry.modified.date);
    appendLe<quint32>(out, entry.crc32);
    appendLe<quint32>(out, entry.compressedSize);
    appendLe<quint32>(out, entry.uncompressedSize);
    appendLe<quint16>(out, quint16(entry.name.size()));
}

// Unix seconds as the 32-bit signed field of the "UT" extra field.
quint32 unixSeconds(const QDateTime &moment)
{
    const qint64 seconds =
        std::clamp<qint64>(moment.toSecsSinceEpoch(), std::numeric_limits<qint32>::min(),
                           std::numeric_limits<qint32>::max());
    return quint32(qint32(seconds));
}

// Low byte: MS-DOS attributes; high 16 bits: Unix mode. A file the owner cannot
// write counts as read-only; dot files count as hidden, as they are on Unix.
quint32 externalAttributes(const QFileInfo &info)
{
    const bool readOnly = !info.permission(QFileDevice::WriteOwner);
    quint32 dos = DosArchive;
    if (readOnly)
        dos |= DosReadOnly;
    if (info.isHidden())
        dos |= DosHidden;
    const quint32 mode = UnixRegularFile | UnixOwnerRead | (readOnly ? 0 : UnixOwnerWrite);
    return mode << 16 | dos;
}

// Raw deflate stream, released on every path out.
class RawDeflater
{
public:
    RawDeflater()
    {
        m_valid = deflateInit2(&m_stream, DeflateLevel, Z_DEFLATED, RawDeflateWindowBits,
                               DeflateMemLevel, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~RawDeflater()
    {
        if (m_valid)
            deflateEnd(&m_stream);
    }
    Q_DISABLE_COPY_MOVE(RawDeflater)

    bool isValid() const { return m_valid; }
    qint64 bound(qint64 size) { return qint64(deflateBound(&m_stream, uLong(size))); }
    z_stream &stream() { return m_stream; }

private:
    z_stream m_stream{};
    bool m_valid = false;
};

} // namespace

ZipFormat::DosDateTime ZipFormat::dosDateTime(const QDateTime &moment)
{
    static const QDateTime first(QDate(1980, 1, 1), QTime(0, 0), Qt::UTC);
    static const QDateTime last(QDate(2107, 12, 31), QTime(23, 59, 58), Qt::UTC);
    const QDateTime utc = moment.isValid() ? std::clamp(moment.toUTC(), first, last) : first;
    const QDate date = utc.date();
    const QTime time = utc.time();
    return {quint16(time.hour() << 11 | time.minute() << 5 | time.second() / 2),
            quint16((date.year() - 1980) << 9 | date.month() << 5 | date.day())};
}

bool ZipFormat::isStoredByName(QStringView entryName)
{
    static constexpr std::array<QStringView, 8> storedExtensions = {
        u".Z", u".zip", u".zoo", u".arc", u".lzh", u".arj", u".gz", u".tgz"};
    const qsizetype dot = entryName.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QStringView extension = entryName.sliced(dot);
    return std::any_of(storedExtensions.begin(), storedExtensions.end(), [&](QStringView known) {
        return extension.compare(known, Qt::CaseInsensitive) == 0;
    });
}

QByteArray ZipFormat::localHeader(const EntryRecord &entry)
{
    QByteArray out;
    out.reserve(localHeaderSize(entry.name.size()));
    appendLe<quint32>(out, LocalHeaderSignature);
    appendCommonFields(out, entry); // version needed .. name length
    appendLe<quint16>(out, LocalExtraSize);
    out.append(entry.name);
    appendLe<quint16>(out, TimestampTag);
    appendLe<quint16>(out, LocalExtraSize - 4); // data size after tag and size
    appendLe<quint8>(out, TimestampFlags);
    appendLe<quint32>(out, entry.modificationTime);
    appendLe<quint32>(out, entry.accessTime);
    appendLe<quint32>(out, entry.creationTime);
    return out;
}

QByteArray ZipFormat::centralRecord(const EntryRecord &entry)
{
    QByteArray out;
    out.reserve(centralRecordSize(entry.name.size()));
    appendLe<quint32>(out, CentralRecordSignature);
    appendLe<quint16>(out, VersionMadeBy);
    appendCommonFields(out, entry); // version needed .. name length
    appendLe<quint16>(out, CentralExtraSize);
    appendLe<quint16>(out, 0); // comment length
    appendLe<quint16>(out, 0); // disk number start
    appendLe<quint16>(out, entry.internalAttributes);
    appendLe<quint32>(out, entry.externalAttributes);
    appendLe<quint32>(out, entry.localHeaderOffset);
    out.append(entry.name);
    appendLe<quint16>(out, TimestampTag);
    appendLe<quint16>(out, CentralExtraSize - 4);
    appendLe<quint8>(out, TimestampFlags);
    appendLe<quint32>(out, entry.modificationTime);
    return out;
}

QByteArray ZipFormat::endRecord(quint16 entryCount, quint32 directorySize, quint32 directoryOffset)
{
    QByteArray out;
    out.reserve(EndRecordSize);
    appendLe<quint32>(out, EndRecordSignature);
    appendLe<quint16>(out, 0);          // number of this disk
    appendLe<quint16>(out, 0);          // disk where the central directory starts
    appendLe<quint16>(out, entryCount); // entries on this disk
    appendLe<quint16>(out, entryCount); // entries in total
    appendLe<quint32>(out, directorySize);
    appendLe<quint32>(out, directoryOffset);
    appendLe<quint16>(out, 0); // comment length
    return out;
}

ZipWriter::ZipWriter() = default;

ZipWriter::~ZipWriter()
{
    release();
}

ZipWriter::Status ZipWriter::Create(const QString &path)
{
    if (m_device)
        return fail(Status::InUse, u"Another archive is still open"_s);
    if (path.isEmpty())
        return fail(Status::CreateFailed, u"No archive file name given"_s);
    m_path = path;
    // The archive is renamed into place at the end, which would replace a FIFO
    // or a device with a plain file.
    if (const QFileInfo target(path); target.exists() && !target.isFile())
        return fail(Status::CreateFailed, u"It is not a regular file"_s);
    auto file = std::make_unique<QSaveFile>(path);
    if (!file->open(QIODevice::WriteOnly))
        return fail(Status::CreateFailed, file->errorString());
    m_saveFile = std::move(file);
    m_device = m_saveFile.get();
    return Status::Ok;
}

ZipWriter::Status ZipWriter::Create(QIODevice *device)
{
    if (m_device)
        return fail(Status::InUse, u"Another archive is still open"_s);
    m_path.clear();
    if (!device || !device->isWritable() || device->isSequential() || device->size() != 0)
        return fail(Status::BadArgument,
                    u"The device is not an empty, writable random-access device"_s);
    m_device = device;
    return Status::Ok;
}

ZipWriter::Status ZipWriter::AddFile(const QString &entryName, const QString &sourcePath)
{
    using namespace ZipFormat;
    if (const Status status = checkNewEntry(entryName); status != Status::Ok)
        return status;

    // Only regular files: a FIFO or a device would block or never end.
    const QFileInfo info(sourcePath);
    if (!info.isFile())
        return fail(Status::SourceUnreadable, sourcePath % u" is not a readable file"_s);
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return fail(Status::SourceUnreadable, source.errorString());
    const QDateTime modified = info.lastModified();
    if (!modified.isValid())
        return fail(Status::SourceUnreadable, u"Cannot read the times of "_s % sourcePath);
    QDateTime accessed = info.lastRead();
    if (!accessed.isValid())
        accessed = modified;
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.metadataChangeTime();
    if (!created.isValid())
        created = modified;

    EntryRecord entry;
    entry.name = entryNameBytes(entryName);
    const bool stored = isStoredByName(entryName);
    entry.method = stored ? MethodStored : MethodDeflated;
    entry.flags = stored ? 0 : FlagMaximumCompression;
    entry.modified = dosDateTime(modified);
    entry.externalAttributes = externalAttributes(info);
    entry.modificationTime = unixSeconds(modified);
    entry.accessTime = unixSeconds(accessed);
    entry.creationTime = unixSeconds(created);
    entry.localHeaderOffset = quint32(m_offset);

    const QByteArray header = localHeader(entry);
    const qint64 recordSize = centralRecordSize(entry.name.size());
    const qint64 dataOffset = m_offset + header.size();
    if (!writeBytes(header))
        return failWrite();
    const Status copied = copyData(source, info.size(), recordSize, entry);
    if (copied != Status::Ok) {
        if (copied != Status::WriteFailed)
            rollBack(entry.localHeaderOffset);
        return copied;
    }
    // The header went out with CRC-32 and sizes 0; now they are known.
    const qint64 dataEnd = dataOffset + entry.compressedSize;
    if (!seekTo(entry.localHeaderOffset) || !writeBytes(localHeader(entry)) || !seekTo(dataEnd))
        return failWrite();
    m_offset = dataEnd;
    m_directorySize += recordSize;
    m_entries.push_back(std::move(entry));
    return Status::Ok;
}

ZipWriter::Status ZipWriter::AddData(const QString &entryName, QByteArrayView data,
                                     const QDateTime &modified)
{
    using namespace ZipFormat;
    if (const Status status = checkNewEntry(entryName); status != Status::Ok)
        return status;
    const QDateTime moment = modified.isValid() ? modified : QDateTime::currentDateTime();
    EntryRecord entry;
    entry.name = entryNameBytes(entryName);
    const bool stored = isStoredByName(entryName);
    entry.method = stored ? MethodStored : MethodDeflated;
    entry.flags = stored ? 0 : FlagMaximumCompression;
    entry.modified = dosDateTime(moment);
    entry.externalAttributes =
        (UnixRegularFile | UnixOwnerRead | UnixOwnerWrite) << 16 | DosArchive;
    entry.modificationTime = entry.accessTime = entry.creationTime = unixSeconds(moment);
    entry.localHeaderOffset = quint32(m_offset);
    entry.crc32 = quint32(crc32(crc32(0, nullptr, 0), reinterpret_cast<const Bytef *>(data.data()),
                                uInt(data.size())));

    QByteArray packed;
    if (stored) {
        packed = data.toByteArray();
    } else {
        RawDeflater deflater;
        if (!deflater.isValid())
            return fail(Status::CompressFailed, u"Cannot start the deflate compressor"_s);
        packed.resize(deflater.bound(data.size()));
        z_stream &stream = deflater.stream();
        stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
        stream.avail_in = uInt(data.size());
        stream.next_out = reinterpret_cast<Bytef *>(packed.data());
        stream.avail_out = uInt(packed.size());
        if (deflate(&stream, Z_FINISH) != Z_STREAM_END)
            return fail(Status::CompressFailed, u"The deflate stream did not end"_s);
        packed.resize(packed.size() - stream.avail_out);
        entry.internalAttributes = stream.data_type == Z_TEXT ? 1 : 0;
    }
    const qint64 recordSize = centralRecordSize(entry.name.size());
    const qint64 end = m_offset + localHeaderSize(entry.name.size()) + packed.size();
    if (data.size() > MaxArchiveSize ||
        end + m_directorySize + recordSize + EndRecordSize > MaxArchiveSize)
        return fail(Status::TooLarge,
                    u"The entry does not fit into a zip archive of at most 4 GiB"_s);
    entry.compressedSize = quint32(packed.size());
    entry.uncompressedSize = quint32(data.size());
    if (!writeBytes(localHeader(entry) + packed))
        return failWrite();
    m_offset = end;
    m_directorySize += recordSize;
    m_entries.push_back(std::move(entry));
    return Status::Ok;
}

ZipWriter::Status ZipWriter::checkNewEntry(const QString &entryName)
{
    if (!m_device)
        return fail(Status::NotOpen, u"No archive is open"_s);
    if (m_writeFailed)
        return Status::WriteFailed;
    if (entryName.isEmpty())
        return fail(Status::BadArgument, u"The entry name is empty"_s);
    // Refused rather than cut, so that two long names never end up the same.
    if (entryName.size() > ZipFormat::MaxEntryNameLength)
        return fail(Status::BadArgument, u"The entry name is longer than 259 characters"_s);
    if (qsizetype(m_entries.size()) >= ZipFormat::MaxEntryCount)
        return fail(Status::TooManyEntries, u"The archive already holds 65535 entries"_s);
    return Status::Ok;
}

QByteArray ZipWriter::entryNameBytes(const QString &entryName)
{
    QString name = entryName;
    name.replace(u'\\', u'/');
    return name.toUtf8();
}

// Writes the entry's data after its local header: raw deflate at level 8 or the
// bytes unchanged, read in 16 KB blocks, and fills in CRC-32 and sizes. Refuses
// before writing when the stat size cannot fit, and while writing when the
// source has grown past what 32-bit fields can describe.
ZipWriter::Status ZipWriter::copyData(QIODevice &source, qint64 expectedSize, qint64 recordSize,
                                      ZipFormat::EntryRecord &entry)
{
    const bool deflated = entry.method == ZipFormat::MethodDeflated;
    std::optional<RawDeflater> deflater;
    if (deflated) {
        deflater.emplace();
        if (!deflater->isValid())
            return fail(Status::CompressFailed, u"Cannot start the deflate compressor"_s);
    }
    const qint64 dataOffset = m_offset + localHeaderSize(entry.name.size());
    // Everything after this entry's data: the directory with its record, and the end record.
    const qint64 trailerSize = m_directorySize + recordSize + EndRecordSize;
    const auto fits = [&](qint64 uncompressed, qint64 compressed) {
        return uncompressed <= ZipFormat::MaxArchiveSize &&
               dataOffset + compressed + trailerSize <= ZipFormat::MaxArchiveSize;
    };
    const QString tooLarge = u"The entry does not fit into a zip archive of at most 4 GiB"_s;
    if (!fits(expectedSize, deflated ? deflater->bound(expectedSize) : expectedSize))
        return fail(Status::TooLarge, tooLarge);

    QByteArray input(BlockSize, Qt::Uninitialized);
    QByteArray output(BlockSize, Qt::Uninitialized);
    uLong crc = crc32(0, nullptr, 0);
    qint64 uncompressed = 0;
    qint64 compressed = 0;
    for (bool finished = false; !finished;) {
        const qint64 count = source.read(input.data(), BlockSize);
        if (count < 0)
            return fail(Status::SourceUnreadable, source.errorString());
        finished = count == 0;
        uncompressed += count;
        crc = crc32(crc, reinterpret_cast<const Bytef *>(input.constData()), uInt(count));
        if (!deflated) {
            if (!fits(uncompressed, uncompressed))
                return fail(Status::TooLarge, tooLarge);
            if (!writeBytes(input.constData(), count))
                return failWrite();
            compressed += count;
            continue;
        }
        z_stream &stream = deflater->stream();
        stream.next_in = reinterpret_cast<Bytef *>(input.data());
        stream.avail_in = uInt(count);
        int result = Z_OK;
        do {
            stream.next_out = reinterpret_cast<Bytef *>(output.data());
            stream.avail_out = uInt(BlockSize);
            result = deflate(&stream, finished ? Z_FINISH : Z_NO_FLUSH);
            if (result == Z_STREAM_ERROR)
                return fail(Status::CompressFailed, u"The deflate compressor failed"_s);
            const qint64 produced = BlockSize - stream.avail_out;
            compressed += produced;
            if (!fits(uncompressed, compressed))
                return fail(Status::TooLarge, tooLarge);
            if (!writeBytes(output.constData(), produced))
                return failWrite();
        } while (stream.avail_out == 0);
        if (finished && result != Z_STREAM_END)
            return fail(Status::CompressFailed, u"The deflate stream did not end"_s);
    }
    // Internal attribute bit 0: zlib's text guess on the first block. The
    // UTF-16 articles hold zero bytes, so they are always judged binary (0).
    entry.internalAttributes = deflated && deflater->stream().data_type == Z_TEXT ? 1 : 0;
    entry.crc32 = quint32(crc);
    entry.compressedSize = quint32(compressed);
    entry.uncompressedSize = quint32(uncompressed);
    return Status::Ok;
}

ZipWriter::Status ZipWriter::Close()
{
    if (!m_device)
        return fail(Status::NotOpen, u"No archive is open"_s);
    Status status = m_writeFailed ? Status::WriteFailed : Status::Ok;
    if (status == Status::Ok) {
        // Central directory: one record per entry, in the order of adding.
        bool written = true;
        for (const ZipFormat::EntryRecord &entry : m_entries) {
            written = writeBytes(ZipFormat::centralRecord(entry));
            if (!written)
                break;
        }
        written = written &&
                  writeBytes(ZipFormat::endRecord(quint16(m_entries.size()),
                                                  quint32(m_directorySize), quint32(m_offset)));
        auto *file = qobject_cast<QFileDevice *>(m_device);
        if (written && file && !file->flush())
            written = false;
        if (!written)
            status = failWrite();
    }
    if (m_saveFile) {
        if (status == Status::Ok && !m_saveFile->commit())
            status = fail(Status::CommitFailed, m_saveFile->errorString());
        else if (status != Status::Ok)
            m_saveFile->cancelWriting();
    }
    release();
    return status;
}

ZipWriter::Status ZipWriter::fail(Status status, const QString &text)
{
    m_errorString = m_path.isEmpty() ? text : m_path + u": "_s + text;
    return status;
}

ZipWriter::Status ZipWriter::failWrite()
{
    if (!m_writeFailed) {
        m_writeFailed = true;
        fail(Status::WriteFailed, u"Cannot write the archive: "_s % m_device->errorString());
    }
    return Status::WriteFailed;
}

bool ZipWriter::writeBytes(const char *data, qint64 size)
{
    return m_device->write(data, size) == size;
}

bool ZipWriter::seekTo(qint64 position)
{
    return m_device->seek(position);
}

// Drops the bytes of an entry that failed after its header was written. A
// device that cannot be truncated leaves the archive unusable.
bool ZipWriter::rollBack(qint64 position)
{
    bool truncated = false;
    if (auto *file = qobject_cast<QFileDevice *>(m_device))
        truncated = file->resize(position);
    else if (auto *buffer = qobject_cast<QBuffer *>(m_device)) {
        buffer->buffer().truncate(position);
        truncated = true;
    }
    if (truncated && seekTo(position))
        return true;
    m_writeFailed = true;
    return false;
}

void ZipWriter::release()
{
    m_saveFile.reset(); // discards the temporary file unless committed
    m_device = nullptr;
    m_entries.clear();
    m_offset = 0;
    m_directorySize = 0;
    m_writeFailed = false;
}
