#include "functionwords.h"

#include "inputfile.h"

#include <QFile>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

namespace FunctionWords {

ReadResult parse(const QByteArray &bytes)
{
    static const QRegularExpression word(u"^[a-z][a-z'-]*$"_s);
    ReadResult result;
    const QStringList lines = QString::fromUtf8(bytes).split(u'\n');
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString line = lines.at(n).section(u'#', 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        if (!word.match(line).hasMatch()) {
            result.error = u"line %1: \"%2\" is not one lower-case word"_s.arg(n + 1).arg(line);
            result.words.clear();
            return result;
        }
        result.words.insert(line);
    }
    return result;
}

ReadResult read(const QString &path)
{
    return readInputFile<ReadResult>(path, parse);
}

} // namespace FunctionWords
