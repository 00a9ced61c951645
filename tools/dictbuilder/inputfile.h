#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

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

// Calls parseLine(line) for each line of bytes without its "#" comment and
// outer blanks, empty ones skipped; the first error it returns ends the
// reading and comes back as "line N: error".
template<typename ParseLine> QString forEachInputLine(const QByteArray &bytes, ParseLine parseLine)
{
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines.at(n).section(u'#', 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        if (const QString error = parseLine(line); !error.isEmpty())
            return QStringLiteral("line %1: %2").arg(n + 1).arg(error);
    }
    return {};
}
