#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Reads an input file whole and parses it. Result has a QString error; a
// file that cannot be read, or a parse error, names the file in it.
template<typename Result, typename Parse> Result readInputFile(const QString &path, Parse parse)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Result result;
        result.error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return result;
    }
    Result result = parse(file.readAll());
    if (!result.error.isEmpty())
        result.error = path + QStringLiteral(": ") + result.error;
    return result;
}
