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
    result.error = forEachInputLine(bytes, [&](const QString &line) {
        if (!word.match(line).hasMatch())
            return u"\"%1\" is not one lower-case word"_s.arg(line);
        result.words.insert(line);
        return QString();
    });
    if (!result.error.isEmpty())
        result.words.clear();
    return result;
}

ReadResult read(const QString &path)
{
    return readInputFile<ReadResult>(path, parse);
}

} // namespace FunctionWords
