#include "engine/analysis.h"
#include "engine/autorewrite.h"
#include "engine/indefinitearticle.h"
#include "engine/jobcontrol.h"
#include "engine/protectedspans.h"
#include "engine/store.h"
#include "engine/wordcontext.h"
#include "engine_testutil.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// The texts of the protected spans, joined by "|".
QString protectedTexts(const QString &text)
{
    QStringList found;
    for (const TextSpan &span : ProtectedSpans::find(text))
        found << text.mid(span.start, span.end - span.start);
    return found.join(u'|');
}

} // namespace

class TestWordContext : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_dictionary = EngineTest::openDictionary(m_dir);
        QVERIFY(m_dictionary);
        QString error;
        m_tagger = PosTagger::load(QStringLiteral(REWORDIX_BIN_DIR) + u"/tagger.model"_s, &error);
        QVERIFY2(m_tagger, qPrintable(error));
    }

    void protectedSpans_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("names mid-sentence, openers free")
            << u"The big dog met Anna in Paris. Then it ran."_s << u"Anna|Paris"_s;
        QTest::newRow("a name run at a sentence start")
            << u"General Public License terms apply."_s << u"General|Public|License"_s;
        QTest::newRow("capitals") << u"the USA and NASA, not I"_s << u"USA|NASA|I"_s;
        QTest::newRow("url and mail")
            << u"see https://example.org/a?b=c, or www.example.com and write to me@host.org."_s
            << u"https://example.org/a?b=c|www.example.com|me@host.org"_s;
        QTest::newRow("paths and files")
            << u"edit /etc/hosts or C:\\temp\\x.txt and README.md now"_s
            << u"/etc/hosts|C:\\temp\\x.txt|README.md"_s;
        QTest::newRow("code tokens")
            << u"call get_value() or setValue then x.y in prose"_s << u"get_value()|setValue|x.y"_s;
        QTest::newRow("code lines and backticks")
            << u"Run `make all` first.\n    for item in items:\n        total += item\nDone."_s
            << u"`make all`|    for item in items:|        total += item"_s;
        QTest::newRow("fenced block") << u"Text here.\n```\nplain words inside\n```\nmore text"_s
                                      << u"```|plain words inside|```"_s;
        QTest::newRow("quantities") << u"it weighs 5 kg and took 3 years"_s << u"kg|years"_s;
        QTest::newRow("list items start sentences")
            << u"- Install it\n1. Open the box\n\"Quite so,\" she said."_s << QString();
    }

    void protectedSpans()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(protectedTexts(text), expected);
    }

    void indefiniteArticle_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("article");
        for (const char16_t *w :
             {u"apple", u"hour", u"honest", u"umbrella", u"unusual", u"MP3", u"FBI", u"X-ray", u"8",
              u"11", u"18th", u"OPEC", u"heir", u"unidentified", u"Egg", u"SQL"})
            QTest::newRow(qUtf8Printable(QString::fromUtf16(w)))
                << QString::fromUtf16(w) << u"an"_s;
        for (const char16_t *w :
             {u"university", u"user", u"one", u"once", u"European", u"USB", u"NATO", u"horse",
              u"useful", u"unique", u"union", u"7", u"1800", u"ukulele", u"house", u"utility"})
            QTest::newRow(qUtf8Printable(QString::fromUtf16(w))) << QString::fromUtf16(w) << u"a"_s;
    }

    void indefiniteArticle()
    {
        QFETCH(QString, word);
        QFETCH(QString, article);
        QCOMPARE(IndefiniteArticle::agreeing(u"a", word), article);
        QCOMPARE(IndefiniteArticle::agreeing(u"an", word), article);
        // Letter case follows the article as written.
        QCOMPARE(IndefiniteArticle::agreeing(u"A", word).toLower(), article);
    }

    void articleBefore_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("article"); // empty: none found
        QTest::newRow("blank") << u"saw an "_s << u"an"_s;
        QTest::newRow("quote") << u"termed a \""_s << u"a"_s;
        QTest::newRow("wrapped line") << u"is A\r\n"_s << u"A"_s;
        QTest::newRow("wrapped, indented") << u"to an\n        "_s << u"an"_s;
        QTest::newRow("paragraph") << u"an\n\n"_s << QString();
        QTest::newRow("inside a word") << u"banana "_s << QString();
        QTest::newRow("touching") << u"an"_s << QString();
    }

    void articleBefore()
    {
        QFETCH(QString, text);
        QFETCH(QString, article);
        const auto range = IndefiniteArticle::articleBefore(text, text.size());
        QCOMPARE(range ? text.mid(range->first, range->second - range->first) : QString(), article);
    }

    // How an entry is looked up in its sentence: the part of speech and the
    // participle after have, be and get.
    void readings_data()
    {
        QTest::addColumn<QString>("sentence");
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("type");
        QTest::newRow("past") << u"He walked home."_s << u"walked"_s << u"sp:walk"_s << u"verb"_s;
        QTest::newRow("after have")
            << u"He has walked home."_s << u"walked"_s << u"pp:walk"_s << u"verb"_s;
        QTest::newRow("after be") << u"The dogs were walked daily."_s << u"walked"_s << u"pp:walk"_s
                                  << u"verb"_s;
        QTest::newRow("past that is its own base")
            << u"They had cut the rope."_s << u"cut"_s << u"pp:cut"_s << u"verb"_s;
        QTest::newRow("irregular participle")
            << u"They had gone away."_s << u"gone"_s << u"pp:go"_s << u"verb"_s;
        QTest::newRow("third person, not plural")
            << u"She walks to work."_s << u"walks"_s << u"tp:walk"_s << u"verb"_s;
        QTest::newRow("plural noun")
            << u"The long walks were fun."_s << u"walks"_s << u"pl:walk"_s << u"noun"_s;
        QTest::newRow("plural noun with a row of its own")
            << u"The peace talks failed."_s << u"talks"_s << u"pl:talk"_s << u"noun"_s;
        QTest::newRow("base verb")
            << u"We walk to school."_s << u"walk"_s << QString() << u"verb"_s;
        QTest::newRow("noun") << u"It was a long walk."_s << u"walk"_s << QString() << u"noun"_s;
        QTest::newRow("adjective") << u"A big house."_s << u"big"_s << QString() << u"adjective"_s;
    }

    void readings()
    {
        QFETCH(QString, sentence);
        QFETCH(QString, word);
        QFETCH(QString, tag);
        QFETCH(QString, type);
        JobControl control;
        const PassOutcome pass = Analysis::taggingPassText(sentence, {}, *m_dictionary, control);
        const ArticleContext context = WordContext::analyse(sentence, m_tagger.get(), true);
        for (const StoreEntry &entry : Store::parseEntries(pass.store)) {
            if (entry.text != word)
                continue;
            const EntryReading reading =
                WordContext::readingOf(entry, sentence, context, *m_dictionary);
            QVERIFY(!reading.skip);
            QCOMPARE(reading.tag, tag);
            QCOMPARE(reading.type, type);
            return;
        }
        QFAIL("word not in the store");
    }

    // Only synonyms of the word's main meaning go into an automatic rewrite
    // when the dictionary marks them; none for an ambiguous word.
    void mainSenseLimitsAutomaticLists()
    {
        const QString path = m_dir.filePath(u"mainsense.db"_s);
        QVERIFY(TestDictionary::create(path,
                                       {{u"quick"_s, u"adjective"_s, u"fast,rapid,swift,speedy"_s},
                                        {u"deal"_s, u"noun"_s, u"bargain,pact"_s},
                                        {u"dog"_s, u"noun"_s, u"hound,pooch"_s},
                                        {u"in order"_s, u"adjective"_s, u"orderly,ready"_s}}));
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        QVERIFY(TestDictionary::exec(db, u"CREATE TABLE MainSense (Words TEXT, Type TEXT, "
                                         u"Count INTEGER); INSERT INTO MainSense VALUES "
                                         u"('quick', 'adjective', 2), ('deal', 'noun', 0), "
                                         u"('in order', 'adjective', 0)"_s));
        sqlite3_close(db);
        QString error;
        const auto dictionary = Dictionary::open(path, true, false, &error);
        QVERIFY2(dictionary, qPrintable(error));
        // "in order" is led by a preposition: no part of speech, and still kept out.
        const QString text = u"A quick deal and a dog, all in order."_s;
        JobControl control;
        const PassOutcome pass = Analysis::taggingPassText(text, {}, *dictionary, control);
        const MergeOutcome merged =
            Analysis::phraseMergePass(pass.store, text, *dictionary, control, false);
        const ArticleContext context = WordContext::analyse(text, m_tagger.get(), true);
        QStringList lists;
        for (const StoreEntry &e : Store::parseEntries(*AutoRewrite::expandAlternatives(
                 merged.store, AutoRewrite::General, *dictionary, nullptr, &context, text)))
            if (e.text != u"A" && e.text != u"a" && e.text != u"and" && e.text != u"all")
                lists << e.text + u'=' + e.alternatives;
        QCOMPARE(lists, (QStringList{u"quick=fast,rapid"_s, u"deal="_s, u"dog=hound,pooch"_s,
                                     u"in order="_s}));
    }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Dictionary> m_dictionary;
    std::unique_ptr<PosTagger> m_tagger;
};

QTEST_GUILESS_MAIN(TestWordContext)
#include "tst_wordcontext.moc"
