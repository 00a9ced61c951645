#include "app/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace {

void setError(QString *error, const QString &path, const QString &why)
{
    if (error)
        *error = u"%1: %2"_s.arg(path, why);
}

} // namespace

QString TextFile::fromUtf16Le(QByteArrayView bytes)
{
    QString text(bytes.size() / 2, Qt::Uninitialized);
    qFromLittleEndian<char16_t>(bytes.data(), text.size(), text.data());
    return text;
}

QByteArray TextFile::toUtf16Le(QStringView text)
{
    QByteArray bytes(text.size() * 2, Qt::Uninitialized);
    qToLittleEndian<char16_t>(text.utf16(), text.size(), bytes.data());
    return bytes;
}

QString TextFile::readUtf16(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return fromUtf16Le(file.readAll());
}

QString TextFile::notRegularFileError(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
    return info.isDir() ? u"is a folder, not a file"_s
                        : u"is not a regular file (a device, FIFO or socket)"_s;
}

bool TextFile::writeBytes(const QString &path, QByteArrayView bytes, QString *error)
{
    // Renaming over a FIFO or a device would replace it with a plain file.
    if (const QString why = notRegularFileError(path); !why.isEmpty()) {
        setError(error, path, why);
        return false;
    }
    QSaveFile file(path);
    // A file in a folder we may not create files in can still be rewritten in place.
    file.setDirectWriteFallback(true);
    // commit() flushes the last buffered bytes itself but commits even when that
    // flush fails (a full disk), so the flush is done and checked here first.
    if (file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size() &&
        file.flush() && file.error() == QFileDevice::NoError && file.commit()) {
        return true;
    }
    setError(error, path, file.errorString());
    file.cancelWriting();
    return false;
}

bool TextFile::writeUtf16(const QString &path, QStringView text, QString *error)
{
    return writeBytes(path, toUtf16Le(text), error);
}

bool TextFile::writeScratchBytes(const QString &path, QByteArrayView bytes, QString *error)
{
    bool given = false;
    return writeScratchPieces(
        path,
        [&] {
            const QByteArrayView piece = given ? QByteArrayView() : bytes;
            given = true;
            return piece;
        },
        error);
}

bool TextFile::writeScratchPieces(const QString &path, const std::function<QByteArrayView()> &next,
                                  QString *error)
{
    if (const QString why = notRegularFileError(path); !why.isEmpty()) {
        setError(error, path, why);
        return false;
    }
    const QString part = path + u".part"_s;
    QFile file(part);
    errno = 0;
    bool written = file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered);
    for (QByteArrayView piece; written && !(piece = next()).isEmpty();)
        written = file.write(piece.data(), piece.size()) == piece.size();
    // An unbuffered write that fails leaves Qt's text as "Unknown error".
    QString why = errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : file.errorString();
    file.close();
    written = written && file.error() == QFileDevice::NoError;
    if (written) {
        // rename() replaces the old file in one step; QFile::rename would not.
        if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) ==
            0)
            return true;
        why = QString::fromLocal8Bit(std::strerror(errno));
    }
    QFile::remove(part);
    setError(error, path, why);
    return false;
}

bool TextFile::writeScratchUtf16(const QString &path, QStringView text, QString *error)
{
    return writeScratchBytes(path, toUtf16Le(text), error);
}
