#pragma once

#include "app/textfile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

// Small helpers shared by the test programs.
namespace TestUtil {

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeUtf16(const QString &path, const QString &text)
{
    TextFile::writeUtf16(path, text);
}

inline QString bomText(const QString &text)
{
    return QChar(0xFEFF) + text;
}

} // namespace TestUtil
