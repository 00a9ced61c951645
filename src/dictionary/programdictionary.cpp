#include "dictionary/programdictionary.h"

#include "app/apppaths.h"
#include "app/config.h"
#include "app/language.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

ProgramDictionary openProgramDictionary()
{
    ProgramDictionary result;
    const bool maintenance = Config::optimizationEnabled();
    if (maintenance) {
        // Used as written; a relative path is relative to the working folder.
        result.scrambled = false;
        const QString source = Config::sourceDb();
        result.path =
            source.isEmpty() ? QString() : QDir(AppPaths::workDir()).absoluteFilePath(source);
    } else {
        result.path = AppPaths::defaultDictionary();
        if (!QFileInfo::exists(result.path)) {
            result.messageNumber = 1;
            return result;
        }
    }
    result.dictionary = Dictionary::open(result.path, result.scrambled, maintenance, &result.error);
    if (!result.dictionary)
        result.messageNumber = 2;
    return result;
}

QString ProgramDictionary::failureText() const
{
    QString text = Language::messageText(messageNumber);
    if (messageNumber == 2)
        text.replace(u"%s"_s, error);
    return text;
}
