#include "testutil.h"
#include "zip/zipwriter.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;
using Status = ZipWriter::Status;

namespace {

// Bitwise CRC-32 (reflected, polynomial 0xEDB88320), independent of zlib.
quint32 referenceCrc32(QByteArrayView data)
{
    quint32 crc = 0xFFFFFFFF;
    for (char c : data) {
        crc ^= quint8(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0u - (crc & 1)));
    }
    return ~crc;
}

quint16 le16(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint16>(bytes.data() + at);
}

quint32 le32(QByteArrayView bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.data() + at);
}

struct ParsedEntry
{
    quint16 versionMadeBy = 0, versionNeeded = 0, flags = 0, method = 0, dosTime = 0, dosDate = 0;
    quint32 crc = 0, compressedSize = 0, uncompressedSize = 0;
    quint16 internalAttributes = 0;
    quint32 externalAttributes = 0, localOffset = 0;
    QByteArray name, localExtra, centralExtra, data;
};

struct ParsedArchive
{
    QList<ParsedEntry> entries;
    quint16 entriesOnDisk = 0;
    quint16 entriesTotal = 0;
    quint32 directorySize = 0;
    quint32 directoryOffset = 0;
    QString error; // empty when the archive is sound
};

// Walks the archive from its end record and checks every invariant that holds
// for all archives of this writer; returns an error text, empty when sound.
QString parseInto(const QByteArray &bytes, ParsedArchive &archive)
{
    const qsizetype size = bytes.size();
    if (size < 22 || le32(bytes, size - 22) != 0x06054B50)
        return u"no end record at size - 22"_s;
    const qsizetype end = size - 22;
    if (le16(bytes, end + 4) != 0 || le16(bytes, end + 6) != 0 || le16(bytes, end + 20) != 0)
        return u"end record: disk numbers or comment length not 0"_s;
    archive.entriesOnDisk = le16(bytes, end + 8);
    archive.entriesTotal = le16(bytes, end + 10);
    archive.directorySize = le32(bytes, end + 12);
    archive.directoryOffset = le32(bytes, end + 16);
    if (qsizetype(archive.directoryOffset) + archive.directorySize != end)
        return u"central directory does not end at the end record"_s;
    qsizetype at = archive.directoryOffset;
    qsizetype nextLocal = 0;
    for (int i = 0; i < archive.entriesTotal; ++i) {
        if (at + 46 > end || le32(bytes, at) != 0x02014B50)
            return u"central record %1: bad signature"_s.arg(i);
        ParsedEntry e;
        e.versionMadeBy = le16(bytes, at + 4);
        e.versionNeeded = le16(bytes, at + 6);
        e.flags = le16(bytes, at + 8);
        e.method = le16(bytes, at + 10);
        e.dosTime = le16(bytes, at + 12);
        e.dosDate = le16(bytes, at + 14);
        e.crc = le32(bytes, at + 16);
        e.compressedSize = le32(bytes, at + 20);
        e.uncompressedSize = le32(bytes, at + 24);
        const quint16 nameLength = le16(bytes, at + 28);
        const quint16 extraLength = le16(bytes, at + 30);
        if (extraLength != 9 || le16(bytes, at + 32) != 0 || le16(bytes, at + 34) != 0)
            return u"central record %1: extra length, comment or disk"_s.arg(i);
        e.internalAttributes = le16(bytes, at + 36);
        e.externalAttributes = le32(bytes, at + 38);
        e.localOffset = le32(bytes, at + 42);
        e.name = bytes.mid(at + 46, nameLength);
        e.centralExtra = bytes.mid(at + 46 + nameLength, 9);
        const QByteArray centralCommon = bytes.mid(at + 6, 24);
        at += 46 + nameLength + 9;
        if (at > end)
            return u"central record %1 runs past the directory"_s.arg(i);

        const qsizetype local = e.localOffset;
        if (local != nextLocal || local + 30 > archive.directoryOffset ||
            le32(bytes, local) != 0x04034B50)
            return u"local header %1: not where the previous entry ends"_s.arg(i);
        if (bytes.mid(local + 4, 24) != centralCommon)
            return u"local header %1 differs from its central record"_s.arg(i);
        if (le16(bytes, local + 28) != 17 || bytes.mid(local + 30, nameLength) != e.name)
            return u"local header %1: extra length or name"_s.arg(i);
        e.localExtra = bytes.mid(local + 30 + nameLength, 17);
        e.data = bytes.mid(local + 30 + nameLength + 17, e.compressedSize);
        nextLocal = local + 30 + nameLength + 17 + e.compressedSize;
        for (const QByteArray &extra : {e.localExtra, e.centralExtra}) {
            if (le16(extra, 0) != 0x5455 || le16(extra, 2) != extra.size() - 4 || extra[4] != 7)
                return u"entry %1: bad UT extra field"_s.arg(i);
        }
        if (le32(e.localExtra, 5) != le32(e.centralExtra, 5))
            return u"entry %1: local and central modification times differ"_s.arg(i);
        archive.entries.append(e);
    }
    if (at != end || nextLocal != archive.directoryOffset)
        return u"gaps between entries or records"_s;
    return {};
}

ParsedArchive parseArchive(const QByteArray &bytes)
{
    ParsedArchive archive;
    archive.error = parseInto(bytes, archive);
    return archive;
}

QString writeFile(const QString &path, const QByteArray &content,
                  const QDateTime &modified = QDateTime())
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.flush())
        return {};
    if (modified.isValid() && !file.setFileTime(modified, QFileDevice::FileModificationTime))
        return {};
    return path;
}

// Text mixed with random bytes, so that deflate has work of both kinds.
QByteArray variedData(qsizetype size)
{
    QRandomGenerator random(20240611);
    QByteArray data;
    data.reserve(size);
    while (data.size() < size) {
        if (random.bounded(3) == 0) {
            for (int i = 0; i < 200; ++i)
                data.append(char(random.bounded(256)));
        } else {
            data.append("The quick brown fox jumps over the lazy dog number ");
            data.append(QByteArray::number(random.bounded(100000)));
            data.append(".\r\n");
        }
    }
    data.truncate(size);
    return data;
}

// Fails every write that would take the buffer past a byte limit, like a full disk.
class FullDiskBuffer : public QBuffer
{
public:
    explicit FullDiskBuffer(qint64 limit) : m_limit(limit) {}

protected:
    qint64 writeData(const char *data, qint64 size) override
    {
        return pos() + size > m_limit ? -1 : QBuffer::writeData(data, size);
    }

private:
    qint64 m_limit;
};

using Contents = QList<std::pair<QString, QString>>; // entry name, source file

// Reads the archive back with Info-ZIP unzip and Python's zipfile; the last
// call of a test, since it skips when the readers are missing.
void checkWithReaders(const QString &archivePath, const Contents &contents)
{
    const QString unzip = QStandardPaths::findExecutable(u"unzip"_s);
    const QString python = QStandardPaths::findExecutable(u"python3"_s);
    if (unzip.isEmpty() || python.isEmpty())
        QSKIP("unzip or python3 not installed");
    const auto run = [](const QString &program, const QStringList &arguments) {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        const bool finished = process.waitForFinished(120000);
        return std::pair{
            finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
    };

    const auto [unzipCode, unzipOutput] = run(unzip, {u"-t"_s, archivePath});
    if (contents.isEmpty()) // Info-ZIP reports an empty archive with exit code 1
        QVERIFY2(unzipCode == 1 && unzipOutput.contains(u"zipfile is empty"_s),
                 qPrintable(unzipOutput));
    else
        QVERIFY2(unzipCode == 0 && unzipOutput.contains(u"No errors detected"_s),
                 qPrintable(unzipOutput));

    // "-m zipfile -t" exits 0 even when an entry is corrupt: read its text too.
    const auto [testCode, testOutput] = run(python, {u"-m"_s, u"zipfile"_s, u"-t"_s, archivePath});
    QVERIFY2(testCode == 0 && testOutput.contains(u"Done testing"_s) &&
                 !testOutput.contains(u"corrupt"_s),
             qPrintable(testOutput));

    static const QString script = uR"(import sys, zipfile
pairs = sys.argv[2:]
with zipfile.ZipFile(sys.argv[1]) as z:
    bad = z.testzip()
    if bad is not None:
        sys.exit("corrupt entry " + bad)
    if z.namelist() != pairs[0::2]:
        sys.exit("names %r" % z.namelist())
    for name, path in zip(pairs[0::2], pairs[1::2]):
        with open(path, "rb") as f:
            if z.read(name) != f.read():
                sys.exit("content differs: " + name)
print("ok")
)"_s;
    QStringList arguments = {u"-c"_s, script, archivePath};
    for (const auto &[name, source] : contents)
        arguments << name << source;
    const auto [scriptCode, scriptOutput] = run(python, arguments);
    QVERIFY2(scriptCode == 0, qPrintable(scriptOutput));
}

const QDateTime Modified(QDate(2021, 6, 14), QTime(10, 15, 37), Qt::UTC);

} // namespace

class TestZipWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dosDateTime_data();
    void dosDateTime();
    void storedByName_data();
    void storedByName();
    void emptyArchive();
    void oneFileFields();
    void threeFiles();
    void storedAndDeflatedEntries();
    void entryNames();
    void attributes_data();
    void attributes();
    void rejectedEntries_data();
    void rejectedEntries();
    void readErrorRollsBackEntry_data();
    void readErrorRollsBackEntry();
    void lifecycle();
    void createReplacesExistingOnlyOnClose();
    void abandonedWriterLeavesNothing();
    void createFailures_data();
    void createFailures();
    void badDevices();
    void memoryMatchesFile();
    void writeFailures_data();
    void writeFailures();
    void fullDiskKeepsTargetAbsent();
    void fullDiskOnDeviceFailsClose();
    void sourceOver4GiB();
    void entryCountLimit();
    void entriesFromMemory();
    void specialTargetsRefused_data();
    void specialTargetsRefused();
};

void TestZipWriter::dosDateTime_data()
{
    TestUtil::addTableRows(u"zip/dos-date-time.tsv"_s);
}

void TestZipWriter::dosDateTime()
{
    QFETCH(QString, moment);
    QFETCH(QString, time);
    QFETCH(QString, date);
    const ZipFormat::DosDateTime dos =
        ZipFormat::dosDateTime(QDateTime::fromString(moment, Qt::ISODate));
    QCOMPARE(dos.time, time.toInt());
    QCOMPARE(dos.date, date.toInt());
}

void TestZipWriter::storedByName_data()
{
    TestUtil::addTableRows(u"zip/stored-by-name.tsv"_s);
}

void TestZipWriter::storedByName()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);
    QCOMPARE(ZipFormat::isStoredByName(name), stored == u"true");
}

void TestZipWriter::emptyArchive()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"empty.zip"_s);
    ZipWriter writer;
    QCOMPARE(writer.Create(path), Status::Ok);
    QCOMPARE(writer.Close(), Status::Ok);
    QCOMPARE(TestUtil::fileBytes(path), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
    checkWithReaders(path, {});
}

void TestZipWriter::oneFileFields()
{
    QTemporaryDir dir;
    const QByteArray content = "Hello, zip.\r\nSecond line of plain text.\r\n";
    const QString source = writeFile(dir.filePath(u"hello.txt"_s), content, Modified);
    const QDateTime accessed(QDate(2022, 1, 2), QTime(3, 4, 5), Qt::UTC);
    {
        QFile file(source);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(accessed, QFileDevice::FileAccessTime));
    }
    const QFileInfo info(source);
    QDateTime created = info.birthTime();
    if (!created.isValid())
        created = info.metadataChangeTime();

    const QString path = dir.filePath(u"one.zip"_s);
    ZipWriter writer;
    QCOMPARE(writer.Create(path), Status::Ok);
    QCOMPARE(writer.AddFile(u"hello.txt"_s, source), Status::Ok);
    QCOMPARE(writer.Close(), Status::Ok);

    const QByteArray bytes = TestUtil::fileBytes(path);
    ParsedArchive archive = parseArchive(bytes);
    QVERIFY2(archive.error.isEmpty(), qPrintable(archive.error));
    QCOMPARE(archive.entries.size(), 1);
    QCOMPARE(archive.entriesOnDisk, 1);
    QCOMPARE(archive.entriesTotal, 1);
    const ParsedEntry &e = archive.entries.first();
    QCOMPARE(e.versionMadeBy, 0x0B17);
    QCOMPARE(e.versionNeeded, 20);
    QCOMPARE(e.flags, 0x0002);
    QCOMPARE(e.method, 8);
    QCOMPARE(e.dosTime, 20978);
    QCOMPARE(e.dosDate, 41 * 512 + 6 * 32 + 14);
    QCOMPARE(e.crc, referenceCrc32(content));
    QCOMPARE(e.uncompressedSize, quint32(content.size()));
    QCOMPARE(e.internalAttributes, 1); // ASCII text, judged so by deflate
    QCOMPARE(e.externalAttributes, 0x81800020u);
    QCOMPARE(e.localOffset, 0u);
    QCOMPARE(e.name, "hello.txt");
    QCOMPARE(le32(e.localExtra, 5), quint32(Modified.toSecsSinceEpoch()));
    QCOMPARE(le32(e.localExtra, 9), quint32(accessed.toSecsSinceEpoch()));
    QCOMPARE(le32(e.localExtra, 13), quint32(created.toSecsSinceEpoch()));
    QCOMPARE(archive.directoryOffset, quint32(30 + 9 + 17 + e.compressedSize));
    QCOMPARE(archive.directorySize, quint32(46 + 9 + 9));
    QCOMPARE(bytes.size(), qsizetype(archive.directoryOffset + archive.directorySize + 22));
    checkWithReaders(path, {{u"hello.txt"_s, source}});
}

void TestZipWriter::threeFiles()
{
    QTemporaryDir dir;
    const QByteArray big = variedData(1536 * 1024 + 7);
    const Contents contents = {
        {u"empty.txt"_s, writeFile(dir.filePath(u"empty.txt"_s), {})},
        {u"big.txt"_s, writeFile(dir.filePath(u"big.txt"_s), big)},
        {u"short.txt"_s, writeFile(dir.filePath(u"short.txt"_s), "short", Modified)},
    };
    const QString path = dir.filePath(u"three.zip"_s);
    ZipWriter writer;
    QCOMPARE(writer.Create(path), Status::Ok);
    for (const auto &[name, source] : contents)
        QCOMPARE(writer.AddFile(name, source), Status::Ok);
    QCOMPARE(writer.Close(), Status::Ok);

    ParsedArchive archive = parseArchive(TestUtil::fileBytes(path));
    QVERIFY2(archive.error.isEmpty(), qPrintable(archive.error));
    QCOMPARE(archive.entriesOnDisk, 3);
    QCOMPARE(archive.entriesTotal, 3);
    QCOMPARE(archive.entries.size(), 3);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(QString::fromUtf8(archive.entries[i].name), contents[i].first);
    const ParsedEntry &empty = archive.entries[0];
    QCOMPARE(empty.uncompressedSize, 0u);
    QCOMPARE(empty.crc, 0u);
    QCOMPARE(empty.data,
             QByteArray("\x03\x00", 2)); // a final fixed block holding only its end code
    QCOMPARE(empty.flags, 0x0002);
    const ParsedEntry &large = archive.entries[1];
    QCOMPARE(large.uncompressedSize, quint32(big.size()));
    QCOMPARE(large.crc, referenceCrc32(big));
    QVERIFY(large.compressedSize < large.uncompressedSize);
    QCOMPARE(archive.entries[2].dosTime, 20978);
    checkWithReaders(path, contents);
}

void TestZipWriter::storedAndDeflatedEntries()
{
    QTemporaryDir dir;
    const QByteArray content = variedData(40000);
    const QString source = writeFile(dir.filePath(u"data.bin"_s), content);
    const QStringList names = {u"a.ZIP"_s, u"b.Gz"_s, u"c.txt"_s, u"d.tgz"_s, u"e"_s};
    const QString path = dir.filePath(u"methods.zip"_s);
    ZipWriter writer;
    QCOMPARE(writer.Create(path), Status::Ok);
    Contents contents;
    for (const QString &name : names) {
        QCOMPARE(writer.AddFile(name, source), Status::Ok);
        contents.append({name, source});
    }
    QCOMPARE(writer.Close(), Status::Ok);

    ParsedArchive archive = parseArchive(TestUtil::fileBytes(path));
    QVERIFY2(archive.error.isEmpty(), qPrintable(archive.error));
    QCOMPARE(archive.entries.size(), names.size());
    for (const ParsedEntry &e : std::as_const(archive.entries)) {
        const bool stored = ZipFormat::isStoredByName(QString::fromUtf8(e.name));
        QCOMPARE(e.method, stored ? 0 : 8);
        QCOMPARE(e.flags, stored ? 0 : 2);
        QCOMPARE(e.crc, referenceCrc32(content));
        if (stored)
            QCOMPARE(e.data, content);
        else
            QVERIFY(e.data != content);
    }
    checkWithReaders(path, contents);
}

void TestZipWriter::entryNames()
{
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath(u"a.txt"_s), "text");
    const QString longName = QString(255, u'n') + u".txt"_s;
    const QString path = dir.filePath(u"names.zip"_s);
    ZipWriter writer;
    QCOMPARE(writer.Create(path), Status::Ok);
    QCOMPARE(writer.AddFile(u"folder\\sub\\a.txt"_s, source), Status::Ok);
    QCOMPARE(writer.AddFile(longName, source), Status::Ok);
    QCOMPARE(writer.AddFile(u"caf\u00e9.txt"_s, source), Status::Ok);
    QCOMPARE(writer.Close(), Status::Ok);

    ParsedArchive archive = parseArchive(TestUtil::fileBytes(path));
    QVERIFY2(archive.error.isEmpty(), qPrintable(archive.error));
    QCOMPARE(archive.entries.size(), 3);
    QCOMPARE(archive.entries[0].name, "folder/sub/a.txt");
    QCOMPARE(archive.entries[1].name, longName.toLatin1());
    QCOMPARE(archive.entries[2].name, "caf\xc3\xa9.txt"); // UTF-8 bytes, yet no UTF-8 flag
    for (const ParsedEntry &e : std::as_const(archive.entries))
        QCOMPARE(e.flags & 0x0800, 0);
    // Without the UTF-8 flag, readers take the name bytes as code page 437.
    checkWithReaders(
        path,
        {{u"folder/sub/a.txt"_s, source}, {longName, source}, {u"caf\u251c\u2310.txt"_s, source}});
}

void TestZipWriter::attributes_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("readOnly");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<quint32>("external");
    QTest::addColumn<int>("internal");
    const QByteArray utf16Article("\xff\xfeH\0i\0!\0", 8);
    QTest::newRow("ascii text") << u"a.txt"_s << false << QByteArray("plain text\n") << 0x81800020u
                                << 1;
    QTest::newRow("utf-16 article") << u"b.txt"_s << false << utf16Article << 0x81800020u << 0;
    QTest::newRow("read-only") << u"c.txt"_s << true << utf16Article << 0x81000021u << 0;
    QTest::newRow("dot file hidden") << u".d.txt"_s << false << utf16Article << 0x81800022u << 0;
    QTest::newRow("stored text") << u"e.zip"_s << false << QByteArray("plain text\n") << 0x81800020u
                                 << 0;
}

void TestZipWriter::attributes()
{
    QFETCH(QString, fileName);
    QFETCH(bool, readOnly);
    QFETCH(QByteArray, content);
    QFETCH(quint32, external);
    QFETCH(int, internal);
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath(fileName), content);
    if (readOnly)
        QVERIFY(QFile::setPermissions(source, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    ZipWriter writer;
    QCOMPARE(writer.Create(&buffer), Status::Ok);
    QCOMPARE(writer.AddFile(fileName, source), Status::Ok);
    QCOMPARE(writer.Close(), Status::Ok);
    ParsedArchive archive = parseArchive(buffer.data());
    QVERIFY2(archive.error.isEmpty(), qPrintable(archive.error));
    QCOMPARE(archive.entries.first().externalAttributes, external);
    QCOMPARE(archive.entries.first().internalAttributes, internal);
}

void TestZipWriter::rejectedEntries_data()
{
    QTest::addColumn<QString>("entryName");
    QTest::addColumn<QString>("sourceName");
    QTest::addColumn<Status>("status");
    QTest::newRow("empty name") << QString() << u"good.txt"_s << Status::BadArgument;
    QTest::newRow("name of 260") << QString(260, u'x') << u"good.txt"_s << Status::BadArgument;
    QTest::newRow("missing source") << u"m.txt"_s << u"missing.txt"_s << Status::SourceUnreadable;
    QTest::newRow("directory source") << u"d.txt"_s << u"sub"_s << Status::SourceUnreadable;
    QTest::newRow("fifo source") << u"f.txt"_s << u"fifo"_s << Status::SourceUnreadable;
}

void TestZipWriter::rejectedEntries()
{
    QFETCH(QString, entryName);
    QFETCH(QString, sourceName);
    QFETCH(Status, status);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"sub"_s));
    QVERIFY(QProcess::execute(u"mkfifo"_s, {dir.filePath(u"fifo"_s)}) == 0);
    const QString good = writeFile(dir.filePath(u"good.txt"_s), "good data");
    const QString path = dir.filePath(u"rejected.zip"_s);
    ZipWriter writer;
    QCOMPARE(writer.Create(path), Status::Ok);
    QCOMPARE(writer.AddFile(u"first.txt"_s, good), Status::Ok);
    QCOMPARE(writer.AddFile(entryName, dir.filePath(sourceName)), status);
    QVERIFY(!writer.errorString().isEmpty());
    QCOMPARE(writer.AddFile(u"second.txt"_s, good), Status::Ok);
    QCOMPARE(writer.Close(), Status::Ok);
    ParsedArchive archive = parseArchive(TestUtil::fileBytes(path));
    QVERIFY2(archive.error.isEmpty(), qPrintable(archive.error));
    QCOMPARE(archive.entries.size(), 2);
    checkWithReaders(path, {{u"first.txt"_s, good}, {u"second.txt"_s, good}});
}

void TestZipWriter::readErrorRollsBackEntry_data()
{
    QTest::addColumn<bool>("toFile");
    QTest::newRow("file") << true;
    QTest::newRow("memory") << false;
}

// /proc/self/mem is a regular file that fails with EIO on its first read, so
// the entry fails after its local header was written.
void TestZipWriter::readErrorRollsBackEntry()
{
    QFETCH(bool, toFile);
    const QString failing = u"/proc/self/mem"_s;
    if (!QFileInfo(failing).isFile())
        QSKIP("no /proc/self/mem");
    QTemporaryDir dir;
    const QString good = writeFile(dir.filePath(u"good.txt"_s), "good data");
    const QString path = dir.filePath(u"rollback.zip"_s);
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    ZipWriter writer;
    QCOMPARE(toFile ? writer.Create(path) : writer.Create(&buffer), Status::Ok);
    QCOMPARE(writer.AddFile(u"first.txt"_s, good), Status::Ok);
    QCOMPARE(writer.AddFile(u"mem.txt"_s, failing), Status::SourceUnreadable);
    QCOMPARE(writer.AddFile(u"second.txt"_s, good), Status::Ok);
    QCOMPARE(writer.Close(), Status::Ok);
    ParsedArchive archive = parseArchive(toFile ? TestUtil::fileBytes(path) : buffer.data());
    QVERIFY2(archive.error.isEmpty(), qPrintable(archive.error));
    QCOMPARE(archive.entries.size(), 2);
    QCOMPARE(archive.entries[1].name, "second.txt");
}

void TestZipWriter::lifecycle()
{
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath(u"a.txt"_s), "a");
    const QString path = dir.filePath(u"life.zip"_s);
    ZipWriter writer;
    QVERIFY(!writer.isOpen());
    QCOMPARE(writer.AddFile(u"a.txt"_s, source), Status::NotOpen);
    QCOMPARE(writer.Close(), Status::NotOpen);
    QCOMPARE(writer.Create(path), Status::Ok);
    QVERIFY(writer.isOpen());
    QCOMPARE(writer.Create(dir.filePath(u"other.zip"_s)), Status::InUse);
    QCOMPARE(writer.AddFile(u"a.txt"_s, source), Status::Ok);
    QCOMPARE(writer.Close(), Status::Ok);
    QCOMPARE(writer.AddFile(u"b.txt"_s, source), Status::NotOpen);
    QCOMPARE(writer.Close(), Status::NotOpen);
    QVERIFY(!QFile::exists(dir.filePath(u"other.zip"_s)));

    // Released by Close: the same writer makes a second, independent archive.
    QCOMPARE(writer.Create(path), Status::Ok);
    QCOMPARE(writer.Close(), Status::Ok);
    QCOMPARE(QFileInfo(path).size(), 22);
}

void TestZipWriter::createReplacesExistingOnlyOnClose()
{
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath(u"a.txt"_s), "new content");
    const QString path = writeFile(dir.filePath(u"old.zip"_s), "previous file, not a zip");
    ZipWriter writer;
    QCOMPARE(writer.Create(path), Status::Ok);
    QCOMPARE(writer.AddFile(u"a.txt"_s, source), Status::Ok);
    QCOMPARE(TestUtil::fileBytes(path), "previous file, not a zip");
    QCOMPARE(writer.Close(), Status::Ok);
    ParsedArchive archive = parseArchive(TestUtil::fileBytes(path));
    QVERIFY2(archive.error.isEmpty(), qPrintable(archive.error));
    QCOMPARE(archive.entries.size(), 1);
    checkWithReaders(path, {{u"a.txt"_s, source}});
}

void TestZipWriter::abandonedWriterLeavesNothing()
{
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath(u"a.txt"_s), "content");
    const QString existing = writeFile(dir.filePath(u"existing.zip"_s), "keep me");
    {
        ZipWriter fresh;
        ZipWriter replacing;
        QCOMPARE(fresh.Create(dir.filePath(u"fresh.zip"_s)), Status::Ok);
        QCOMPARE(replacing.Create(existing), Status::Ok);
        QCOMPARE(fresh.AddFile(u"a.txt"_s, source), Status::Ok);
        QCOMPARE(replacing.AddFile(u"a.txt"_s, source), Status::Ok);
    }
    QCOMPARE(TestUtil::fileBytes(existing), "keep me");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({u"a.txt"_s, u"existing.zip"_s}));
}

void TestZipWriter::createFailures_data()
{
    QTest::addColumn<QString>("relativePath");
    QTest::newRow("missing folder") << u"no/such/folder/a.zip"_s;
    QTest::newRow("a folder") << u"folder"_s;
    QTest::newRow("empty path") << QString();
}

void TestZipWriter::createFailures()
{
    QFETCH(QString, relativePath);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));
    ZipWriter writer;
    const QString path = relativePath.isEmpty() ? QString() : dir.filePath(relativePath);
    QCOMPARE(writer.Create(path), Status::CreateFailed);
    QVERIFY(!writer.isOpen());
    QVERIFY(!writer.errorString().isEmpty());
}

void TestZipWriter::badDevices()
{
    ZipWriter writer;
    QCOMPARE(writer.Create(static_cast<QIODevice *>(nullptr)), Status::BadArgument);
    QBuffer closed;
    QCOMPARE(writer.Create(&closed), Status::BadArgument);
    QByteArray data("existing");
    QBuffer readOnly(&data);
    QVERIFY(readOnly.open(QIODevice::ReadOnly));
    QCOMPARE(writer.Create(&readOnly), Status::BadArgument);
    QBuffer notEmpty(&data);
    QVERIFY(notEmpty.open(QIODevice::ReadWrite));
    QCOMPARE(writer.Create(&notEmpty), Status::BadArgument);
    QVERIFY(!writer.isOpen());
}

void TestZipWriter::memoryMatchesFile()
{
    QTemporaryDir dir;
    const Contents contents = {
        {u"one.txt"_s, writeFile(dir.filePath(u"one.txt"_s), variedData(70000), Modified)},
        {u"two.zip"_s, writeFile(dir.filePath(u"two.zip"_s), variedData(5000))},
        {u"three.txt"_s, writeFile(dir.filePath(u"three.txt"_s), {})},
    };
    const QString path = dir.filePath(u"file.zip"_s);
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    ZipWriter toFile;
    ZipWriter toMemory;
    QCOMPARE(toFile.Create(path), Status::Ok);
    QCOMPARE(toMemory.Create(&buffer), Status::Ok);
    for (const auto &[name, source] : contents) {
        QCOMPARE(toFile.AddFile(name, source), Status::Ok);
        QCOMPARE(toMemory.AddFile(name, source), Status::Ok);
    }
    QCOMPARE(toFile.Close(), Status::Ok);
    QCOMPARE(toMemory.Close(), Status::Ok);
    QVERIFY(buffer.isOpen());
    QCOMPARE(buffer.data(), TestUtil::fileBytes(path));
}

void TestZipWriter::writeFailures_data()
{
    // Limits inside each part of a two-entry archive: local header (30 + 9 + 17
    // bytes) and data of each entry, central records (46 + n + 9 bytes each),
    // end record (22 bytes). A negative limit counts from the archive's end.
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<Status>("firstAdd");
    QTest::addColumn<Status>("secondAdd");
    QTest::newRow("in first header") << qint64(20) << Status::WriteFailed << Status::WriteFailed;
    QTest::newRow("in first data") << qint64(70) << Status::WriteFailed << Status::WriteFailed;
    QTest::newRow("in second entry") << qint64(20000) << Status::Ok << Status::WriteFailed;
    QTest::newRow("in directory") << qint64(-100) << Status::Ok << Status::Ok;
    QTest::newRow("in end record") << qint64(-10) << Status::Ok << Status::Ok;
}

void TestZipWriter::writeFailures()
{
    QFETCH(qint64, limit);
    QFETCH(Status, firstAdd);
    QFETCH(Status, secondAdd);
    QTemporaryDir dir;
    const QString first = writeFile(dir.filePath(u"first.txt"_s), variedData(10000));
    const QString second = writeFile(dir.filePath(u"second.txt"_s), variedData(30000));
    const auto build = [&](QBuffer &buffer) {
        ZipWriter writer;
        buffer.open(QIODevice::WriteOnly);
        return std::array{writer.Create(&buffer), writer.AddFile(u"first.txt"_s, first),
                          writer.AddFile(u"second.txt"_s, second), writer.Close()};
    };
    QBuffer complete;
    QCOMPARE(build(complete), (std::array<Status, 4>{}));
    if (limit < 0)
        limit += complete.size();

    FullDiskBuffer full(limit);
    QCOMPARE(build(full), (std::array{Status::Ok, firstAdd, secondAdd, Status::WriteFailed}));
    QVERIFY(full.size() <= limit);
}

// A real write failure on the file system: RLIMIT_FSIZE makes writes past the
// limit fail with EFBIG, as a full disk fails them with ENOSPC.
void TestZipWriter::fullDiskKeepsTargetAbsent()
{
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath(u"big.bin"_s), variedData(1024 * 1024));
    const QString existing = writeFile(dir.filePath(u"existing.zip"_s), "keep me");
    TestUtil::FileSizeLimit limit(64 * 1024);
    QVERIFY(limit.isActive());
    for (const QString &path : {dir.filePath(u"new.zip"_s), existing}) {
        ZipWriter writer;
        QCOMPARE(writer.Create(path), Status::Ok);
        QCOMPARE(writer.AddFile(u"big.zip"_s, source), Status::WriteFailed);
        QVERIFY(!writer.errorString().isEmpty());
        QCOMPARE(writer.AddFile(u"again.zip"_s, source), Status::WriteFailed);
        QCOMPARE(writer.Close(), Status::WriteFailed);
    }
    QVERIFY(!QFile::exists(dir.filePath(u"new.zip"_s)));
    QCOMPARE(TestUtil::fileBytes(existing), "keep me");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList({u"big.bin"_s, u"existing.zip"_s}));
}

// A caller's buffered QFile: the central directory, still in Qt's buffer, only
// fails when flushed, and that must happen inside Close.
void TestZipWriter::fullDiskOnDeviceFailsClose()
{
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath(u"a.txt"_s), "some text");
    QFile archive(dir.filePath(u"device.zip"_s));
    QVERIFY(archive.open(QIODevice::WriteOnly));
    ZipWriter writer;
    QCOMPARE(writer.Create(&archive), Status::Ok);
    QCOMPARE(writer.AddFile(u"a.txt"_s, source), Status::Ok);
    TestUtil::FileSizeLimit limit(archive.size() + 10);
    QVERIFY(limit.isActive());
    QCOMPARE(writer.Close(), Status::WriteFailed);
}

void TestZipWriter::sourceOver4GiB()
{
    QTemporaryDir dir;
    QFile huge(dir.filePath(u"huge.txt"_s));
    QVERIFY(huge.open(QIODevice::WriteOnly));
    if (!huge.resize(qint64(0x100000000)))
        QSKIP("the file system refuses a sparse 4 GiB file");
    huge.close();
    const QString good = writeFile(dir.filePath(u"good.txt"_s), "good data");
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    ZipWriter writer;
    QCOMPARE(writer.Create(&buffer), Status::Ok);
    QCOMPARE(writer.AddFile(u"huge.txt"_s, huge.fileName()), Status::TooLarge);
    QCOMPARE(writer.AddFile(u"huge.zip"_s, huge.fileName()), Status::TooLarge);
    QCOMPARE(buffer.size(), 0);
    QCOMPARE(writer.AddFile(u"good.txt"_s, good), Status::Ok);
    QCOMPARE(writer.Close(), Status::Ok);
    ParsedArchive archive = parseArchive(buffer.data());
    QVERIFY2(archive.error.isEmpty(), qPrintable(archive.error));
    QCOMPARE(archive.entries.size(), 1);
}

void TestZipWriter::entryCountLimit()
{
    QTemporaryDir dir;
    const QString source = writeFile(dir.filePath(u"e.txt"_s), {});
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    ZipWriter writer;
    QCOMPARE(writer.Create(&buffer), Status::Ok);
    for (int i = 0; i < 0xFFFF; ++i) {
        if (writer.AddFile(u"e.txt"_s, source) != Status::Ok)
            QFAIL(qPrintable(u"entry %1 failed"_s.arg(i)));
    }
    QCOMPARE(writer.AddFile(u"e.txt"_s, source), Status::TooManyEntries);
    QCOMPARE(writer.Close(), Status::Ok);
    ParsedArchive archive = parseArchive(buffer.data());
    QVERIFY2(archive.error.isEmpty(), qPrintable(archive.error));
    QCOMPARE(archive.entriesTotal, 0xFFFF);
}

QTEST_GUILESS_MAIN(TestZipWriter)
// Entries from memory sit beside entries from files in one sound archive, with
// the same fields a file of that content would get.
void TestZipWriter::entriesFromMemory()
{
    QTemporaryDir dir;
    const QByteArray text = variedData(40000);
    const Contents contents = {
        {u"a.txt"_s, writeFile(dir.filePath(u"a.txt"_s), text, Modified)},
        {u"b.txt"_s, writeFile(dir.filePath(u"b.txt"_s), text, Modified)},
        {u"c.gz"_s, writeFile(dir.filePath(u"c.gz"_s), "stored as is", Modified)},
        {u"d.txt"_s, writeFile(dir.filePath(u"d.txt"_s), {}, Modified)},
    };
    const QString path = dir.filePath(u"mixed.zip"_s);
    ZipWriter writer;
    QCOMPARE(writer.Create(path), Status::Ok);
    QCOMPARE(writer.AddFile(u"a.txt"_s, contents[0].second), Status::Ok);
    QCOMPARE(writer.AddData(u"b.txt"_s, text, Modified), Status::Ok);
    QCOMPARE(writer.AddData(u"c.gz"_s, "stored as is", Modified), Status::Ok);
    QCOMPARE(writer.AddData(u"d.txt"_s, {}, Modified), Status::Ok);
    QCOMPARE(writer.Close(), Status::Ok);
    ParsedArchive archive = parseArchive(TestUtil::fileBytes(path));
    QVERIFY2(archive.error.isEmpty(), qPrintable(archive.error));
    const ParsedEntry &fromFile = archive.entries[0];
    const ParsedEntry &fromMemory = archive.entries[1];
    QCOMPARE(fromMemory.crc, fromFile.crc);
    QCOMPARE(fromMemory.uncompressedSize, fromFile.uncompressedSize);
    QCOMPARE(fromMemory.method, fromFile.method);
    QCOMPARE(fromMemory.dosTime, fromFile.dosTime);
    QCOMPARE(archive.entries[2].method, 0);
    checkWithReaders(path, contents);
}

void TestZipWriter::specialTargetsRefused_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("device") << u"/dev/null"_s;
    QTest::newRow("fifo") << u"fifo"_s;
}

// Renaming the finished archive over a device or a FIFO would replace it.
void TestZipWriter::specialTargetsRefused()
{
    QFETCH(QString, path);
    QTemporaryDir dir;
    QVERIFY(mkfifo(QFile::encodeName(dir.filePath(u"fifo"_s)).constData(), 0600) == 0);
    const QString target = path.startsWith(u'/') ? path : dir.filePath(path);
    ZipWriter writer;
    QCOMPARE(writer.Create(target), Status::CreateFailed);
    QVERIFY2(writer.errorString().startsWith(target), qPrintable(writer.errorString()));
    QVERIFY(!QFileInfo(target).isFile());
}

#include "tst_zipwriter.moc"
