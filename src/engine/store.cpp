#include "engine/store.h"

#include "app/textfile.h"
#include "engine/storescrambler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

// The leading decimal number of text, as the C library's strtol reads it.
qint64 leadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    qint64 value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (value < (qint64(1) << 58))
            value = value * 10 + (text[i].unicode() - u'0');
    }
    return negative ? -value : value;
}

// The record text after the "=" that follows from, up to CR LF or the end.
QStringView recordValue(QStringView records, qsizetype from)
{
    const qsizetype eq = records.indexOf(u'=', from);
    if (eq < 0)
        return {};
    qsizetype end = records.indexOf(Store::LineEnd, eq + 1);
    if (end < 0)
        end = records.size();
    return records.mid(eq + 1, end - eq - 1);
}

void clearReadOnly(const QString &path)
{
    QFile::setPermissions(path, QFile::permissions(path) | QFile::WriteOwner);
}

} // namespace

// Store files go to and from the disk in pieces of a whole number of
// scrambler keys, so that every piece starts at key 0.
constexpr qsizetype PieceUnits = StoreScrambler::KeyCount * 6096;

StoreWriter::StoreWriter(const QString &path, bool scrambled, const QString &suffix)
    : m_path(path), m_file(path + suffix), m_scrambled(scrambled)
{}

StoreWriter::~StoreWriter()
{
    if (!m_committed && m_file.fileName() != m_path) {
        m_file.close();
        m_file.remove();
    }
}

bool StoreWriter::open(QString *error)
{
    m_why = TextFile::notRegularFileError(m_path);
    if (m_why.isEmpty() && !m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        m_why = m_file.errorString();
    if (!m_why.isEmpty() && error)
        *error = u"%1: %2"_s.arg(m_path, m_why);
    m_buffer.reserve(2 * PieceUnits);
    return m_why.isEmpty();
}

void StoreWriter::append(QStringView text)
{
    m_buffer += text;
    if (m_buffer.size() >= PieceUnits)
        writeUnits(m_buffer.size() / StoreScrambler::KeyCount * StoreScrambler::KeyCount);
}

bool StoreWriter::writeUnits(qsizetype count)
{
    if (!m_why.isEmpty())
        return false;
    QString piece = m_buffer.left(count);
    m_buffer.remove(0, count);
    if (m_scrambled)
        StoreScrambler::apply(piece);
    const QByteArray bytes = TextFile::toUtf16Le(piece);
    if (m_file.write(bytes) != bytes.size())
        m_why = m_file.errorString();
    return m_why.isEmpty();
}

bool StoreWriter::commit(QString *error)
{
    // Qt's buffer is flushed and checked here: close() would hide a failed flush.
    if (writeUnits(m_buffer.size()) && !m_file.flush())
        m_why = m_file.errorString();
    m_file.close();
    if (m_why.isEmpty() && m_file.error() != QFileDevice::NoError)
        m_why = m_file.errorString();
    if (m_why.isEmpty() && std::rename(QFile::encodeName(m_file.fileName()).constData(),
                                       QFile::encodeName(m_path).constData()) != 0)
        m_why = QString::fromLocal8Bit(std::strerror(errno));
    if (!m_why.isEmpty()) {
        if (error)
            *error = u"%1: %2"_s.arg(m_path, m_why);
        return false;
    }
    m_committed = true;
    return true;
}

bool Store::forEachLine(const QString &path, bool scrambled,
                        const std::function<void(QStringView, bool)> &use, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = u"%1: %2"_s.arg(path, file.errorString());
        return false;
    }
    QString carry; // the start of a line the last piece did not finish
    for (;;) {
        const QByteArray bytes = file.read(2 * PieceUnits);
        if (bytes.isEmpty())
            break;
        QString piece = TextFile::fromUtf16Le(bytes);
        if (scrambled)
            StoreScrambler::apply(piece);
        carry += piece;
        qsizetype from = 0;
        for (qsizetype end; (end = carry.indexOf(LineEnd, from)) >= 0; from = end + LineEnd.size())
            use(QStringView(carry).mid(from, end - from), true);
        carry.remove(0, from);
    }
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = u"%1: %2"_s.arg(path, file.errorString());
        return false;
    }
    if (!carry.isEmpty())
        use(carry, false);
    return true;
}

QString StoreEntry::key() const
{
    const qsizetype colon = tag.indexOf(u':');
    return colon >= 0 ? tag.mid(colon + 1) : text;
}

QString Store::readStore(const QString &path, bool scrambled)
{
    QString text = TextFile::readUtf16(path);
    if (scrambled)
        StoreScrambler::apply(text);
    return text;
}

bool Store::writeStore(const QString &path, const QString &text, bool scrambled, QString *error)
{
    // The store is working data, rewritten at each step: checked, not synced.
    // It is many times the article's size, so it goes out in pieces of a
    // whole number of scrambler keys rather than as a second copy.
    QByteArray piece;
    qsizetype from = 0;
    return TextFile::writeScratchPieces(
        path,
        [&]() -> QByteArrayView {
            const QStringView units = QStringView(text).mid(from, PieceUnits);
            from += units.size();
            if (units.isEmpty())
                return {};
            if (!scrambled && QSysInfo::ByteOrder == QSysInfo::LittleEndian)
                return QByteArrayView(reinterpret_cast<const char *>(units.utf16()),
                                      units.size() * 2);
            QString scrambledUnits = units.toString();
            if (scrambled)
                StoreScrambler::apply(scrambledUnits);
            piece = TextFile::toUtf16Le(scrambledUnits);
            return piece;
        },
        error);
}

bool Store::truncateStore(const QString &path, QString *error)
{
    return TextFile::writeScratchBytes(path, QByteArrayView(), error);
}

QString Store::replacedAll(QStringView text, QStringView before, QStringView after)
{
    QString out;
    out.reserve(after.size() > before.size() ? text.size() + text.size() / 8 : text.size());
    qsizetype from = 0;
    for (qsizetype at; !before.isEmpty() && (at = text.indexOf(before, from)) >= 0;
         from = at + before.size()) {
        out += text.mid(from, at - from);
        out += after;
    }
    out += text.mid(from);
    return out;
}

void Store::DeleteFolderContents(const QString &folder)
{
    QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        return;
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (entry.fileName().startsWith(u'.'))
            continue;
        const QString path = entry.absoluteFilePath();
        if (entry.isDir() && !entry.isSymLink()) {
            DeleteFolderContents(path);
            clearReadOnly(path);
            dir.rmdir(entry.fileName());
        } else {
            if (!entry.isSymLink())
                clearReadOnly(path);
            QFile::remove(path);
        }
    }
}

qsizetype Store::findEntry(QStringView store, QStringView text)
{
    const QString needle = u']' + text.toString() + u'(';
    return store.indexOf(needle);
}

StoreEntry Store::parseEntry(QStringView line)
{
    StoreEntry e;
    e.lineEnd = line.size();
    const EntrySpan span = entrySpan(line);
    e.start = span.start;
    e.end = span.end;
    const qsizetype close = line.indexOf(u']');
    const qsizetype textStart = close < 0 ? 0 : close + 1;
    const qsizetype open = line.indexOf(u'(', textStart);
    if (open < 0) {
        e.text = line.mid(textStart).toString();
        return e;
    }
    e.text = line.mid(textStart, open - textStart).toString();
    const qsizetype tagEnd = line.indexOf(u')', open + 1);
    if (tagEnd < 0) {
        e.tag = line.mid(open + 1).toString();
        return e;
    }
    e.hasTag = true;
    e.tag = line.mid(open + 1, tagEnd - open - 1).toString();
    e.alternatives = line.mid(tagEnd + 1).toString();
    return e;
}

qsizetype Store::entryCount(QStringView store)
{
    qsizetype count = 0;
    qsizetype from = 0;
    while (from < store.size()) {
        qsizetype end = store.indexOf(LineEnd, from);
        if (end < 0)
            end = store.size();
        count += end > from;
        from = end + LineEnd.size();
    }
    return count;
}

QList<StoreEntry> Store::parseEntries(QStringView store)
{
    QList<StoreEntry> entries;
    entries.reserve(store.count(LineEnd) + 1);
    qsizetype from = 0;
    while (from < store.size()) {
        qsizetype end = store.indexOf(LineEnd, from);
        const qsizetype next = end < 0 ? store.size() : end + LineEnd.size();
        if (end < 0)
            end = store.size();
        if (end > from) {
            StoreEntry e = parseEntry(store.mid(from, end - from));
            e.lineStart = from;
            e.lineEnd = end;
            entries.append(std::move(e));
        }
        from = next;
    }
    return entries;
}

QString Store::entryKey(QStringView line)
{
    return parseEntry(line).key();
}

EntrySpan Store::entrySpan(QStringView line)
{
    const qsizetype open = line.indexOf(u'[');
    if (open < 0)
        return {};
    const qsizetype comma = line.indexOf(u',', open + 1);
    const qsizetype close = line.indexOf(u']', open + 1);
    EntrySpan span;
    span.start = leadingNumber(line.mid(open + 1));
    if (comma >= 0 && (close < 0 || comma < close))
        span.end = leadingNumber(line.mid(comma + 1));
    return span;
}

QString Store::formatEntry(qint64 start, qint64 end, QStringView text, QStringView tag,
                           QStringView alternatives)
{
    return u'[' + QString::number(start) + u',' + QString::number(end) + u']' + text + u'(' + tag +
           u')' + alternatives + LineEnd;
}

QString Store::originalIn(QStringView records, const QString &key)
{
    if (key.isEmpty())
        return {};
    if (records.isEmpty())
        return key;
    const bool group = key.startsWith(u'{');
    const qsizetype at = group ? records.indexOf(key) : records.indexOf(QString(u'[' + key + u']'));
    if (at >= 0)
        return recordValue(records, at + key.size()).toString();
    if (!group)
        return key;
    qsizetype end = key.indexOf(u'|');
    if (end < 0)
        end = key.indexOf(u'}');
    if (end < 0)
        end = key.size();
    return key.mid(1, end - 1);
}

QString Store::originalOf(const QString &key, const QString &replacedPath)
{
    if (!QFileInfo::exists(replacedPath))
        truncateStore(replacedPath);
    return originalIn(readStore(replacedPath), key);
}

bool Store::isOriginalIn(QStringView records, QStringView groupText, QStringView alternative)
{
    const QString needle = u'{' + groupText.toString() + u'}';
    const qsizetype at = records.indexOf(needle);
    if (at < 0)
        return false;
    return recordValue(records, at + needle.size()) == alternative;
}

bool Store::isOriginal(const QString &groupText, const QString &alternative,
                       const QString &replacedPath)
{
    return isOriginalIn(readStore(replacedPath), groupText, alternative);
}

int Store::countCombinationsIn(QStringView records)
{
    qint64 product = 1;
    qsizetype from = 0;
    for (;;) {
        const qsizetype open = records.indexOf(u'{', from);
        if (open < 0)
            break;
        const qsizetype close = records.indexOf(u'}', open + 1);
        if (close < 0)
            break;
        product *= records.mid(open + 1, close - open - 1).count(u'|') + 1;
        if (product > CombinationsCap)
            return -1;
        from = close + 1;
    }
    return int(product);
}

int Store::countCombinations(const QString &replacedPath)
{
    return countCombinationsIn(readStore(replacedPath));
}

int Store::countAlternatives(QStringView groupText)
{
    if (groupText.isEmpty())
        return 0;
    return int(groupText.count(u'|')) + 1;
}

QString Store::alternativeAt(QStringView groupText, int n)
{
    if (n < 1)
        return {};
    qsizetype from = 0;
    for (int k = 1; k < n; ++k) {
        const qsizetype bar = groupText.indexOf(u'|', from);
        if (bar < 0)
            return {};
        from = bar + 1;
    }
    qsizetype end = groupText.indexOf(u'|', from);
    if (end < 0)
        end = groupText.size();
    return groupText.mid(from, end - from).toString();
}
