#pragma once

#include "dictionary/dictionary.h"
#include "testdictionary.h"

#include <QDir>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// The hand-made dictionary of the engine tests: the standard entries and a few
// words and phrases the analysis and generation cases need.
namespace EngineTest {

inline QList<TestDictionary::Entry> entries()
{
    QList<TestDictionary::Entry> list = TestDictionary::standardEntries();
    const QList<TestDictionary::Entry> more = {
        {QStringLiteral("hello"), QStringLiteral("interjection"), QStringLiteral("hi,greetings")},
        {QStringLiteral("take"), QStringLiteral("verb"), QStringLiteral("grab,seize")},
        {QStringLiteral("take care"), QStringLiteral("verb"), QStringLiteral("be careful")},
        {QStringLiteral("take care of"), QStringLiteral("verb"),
         QStringLiteral("look after,handle")},
        {QStringLiteral("quick"), QStringLiteral("adjective"),
         QStringLiteral("fast,rapid,swift,speedy,brisk")},
        {QStringLiteral("lone"), QStringLiteral("adjective"), QStringLiteral("solitary")},
        {QStringLiteral("art"), QStringLiteral("noun"), QStringLiteral("craft,skill")},
        {QStringLiteral("article"), QStringLiteral("noun"), QStringLiteral("piece,item")},
        {QStringLiteral("cat"), QStringLiteral("noun"), QStringLiteral("feline,kitty")},
        {QStringLiteral("concat"), QStringLiteral("verb"), QStringLiteral("join")},
        {QStringLiteral("red"), QStringLiteral("adjective"), QStringLiteral("crimson")},
        {QStringLiteral("small"), QStringLiteral("adjective"), QStringLiteral("little")},
        {QStringLiteral("dog"), QStringLiteral("noun"), QStringLiteral("hound")},
        {QStringLiteral("house"), QStringLiteral("noun"), QStringLiteral("home")},
        {QStringLiteral("car"), QStringLiteral("noun"), QStringLiteral("auto")},
        {QStringLiteral("road"), QStringLiteral("noun"), QStringLiteral("street")},
        {QStringLiteral("cut"), QStringLiteral("verb"), QStringLiteral("trim,clip")},
        {QStringLiteral("talk"), QStringLiteral("verb"), QStringLiteral("speak")},
        {QStringLiteral("talk"), QStringLiteral("noun"), QStringLiteral("discussion")},
        {QStringLiteral("talks"), QStringLiteral("noun"), QStringLiteral("negotiation")},
    };
    list.append(more);
    return list;
}

// Creates the dictionary file in dir and opens it read-only.
inline std::unique_ptr<Dictionary> openDictionary(const QTemporaryDir &dir, bool scrambled = true)
{
    const QString path = dir.filePath(QStringLiteral("dictionary.db"));
    if (!QFile::exists(path) &&
        !TestDictionary::create(path, entries(), TestDictionary::standardIrregulars(), scrambled)) {
        return nullptr;
    }
    QString error;
    return Dictionary::open(path, scrambled, false, &error);
}

// The base of a test class that looks words up in the dictionary above; its
// initTestCase checks m_dictionary.
class DictionaryTest : public TestDictionary::Fixture
{
protected:
    std::unique_ptr<Dictionary> m_dictionary = openDictionary(m_dir);
};

// The dictionary shipped beside the programs, when the build made one.
inline QString realDictionaryPath()
{
    return QStringLiteral(REWORDIX_BIN_DIR) + QStringLiteral("/SysFuns.dll");
}

} // namespace EngineTest
