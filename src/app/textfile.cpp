#include "app/textfile.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

using namespace Qt::Literals::StringLiterals;

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

bool TextFile::writeBytes(const QString &path, QByteArrayView bytes, QString *error)
{
    QSaveFile file(path);
    // A file in a folder we may not create files in can still be rewritten in place.
    file.setDirectWriteFallback(true);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes.data(), bytes.size()) == bytes.size() &&
        file.commit()) {
        return true;
    }
    if (error)
        *error = u"%1: %2"_s.arg(path, file.errorString());
    file.cancelWriting();
    return false;
}

bool TextFile::writeUtf16(const QString &path, QStringView text, QString *error)
{
    return writeBytes(path, toUtf16Le(text), error);
}
