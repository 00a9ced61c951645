#include "engine/analysis.h"
#include "engine/autorewrite.h"
#include "engine/indefinitearticle.h"
#include "engine/jobcontrol.h"
#include "engine/protectedspans.h"
#include "engine/store.h"
#include "engine/wordcontext.h"
#include "engine_testutil.h"
#include "testutil.h"

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

class TestWordContext : public EngineTest::DictionaryTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dictionary);
        QString error;
        QVERIFY2(TestUtil::shippedTagger(&error), qPrintable(error));
    }

    void rules_data() { TestUtil::addTableRows(u"wordcontext/rules.tsv"_s); }

    void rules()
    {
        TestUtil::checkRule({
            {u"protectedSpans"_s,
             [](auto &in, auto &) {
                 return protectedTexts(in);
             }},
            {u"agreeingArticle"_s,
             [](auto &in, auto &) {
                 // The same whichever was written; letter case follows the written one.
                 const QString article = IndefiniteArticle::agreeing(u"a", in);
                 const bool same = IndefiniteArticle::agreeing(u"an", in) == article &&
                                   IndefiniteArticle::agreeing(u"A", in).toLower() == article;
                 return same ? article : u"depends on the article written"_s;
             }},
            {u"articleBefore"_s,
             [](auto &in, auto &) {
                 const auto range = IndefiniteArticle::articleBefore(in, in.size());
                 return range ? in.mid(range->first, range->second - range->first) : QString();
             }},
        });
    }

    // How an entry is looked up in its sentence: the part of speech and the
    // participle after have, be and get.
    void readings_data() { TestUtil::addTableRows(u"wordcontext/readings.tsv"_s); }

    void readings()
    {
        QFETCH(QString, sentence);
        QFETCH(QString, word);
        QFETCH(QString, tag);
        QFETCH(QString, type);
        JobControl control;
        const PassOutcome pass = Analysis::taggingPassText(sentence, {}, *m_dictionary, control);
        const ArticleContext context =
            WordContext::analyse(sentence, TestUtil::shippedTagger(), true);
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
        const ArticleContext context = WordContext::analyse(text, TestUtil::shippedTagger(), true);
        QStringList lists;
        for (const StoreEntry &e : Store::parseEntries(*AutoRewrite::expandAlternatives(
                 merged.store, AutoRewrite::General, *dictionary, nullptr, &context, text)))
            if (e.text != u"A" && e.text != u"a" && e.text != u"and" && e.text != u"all")
                lists << e.text + u'=' + e.alternatives;
        QCOMPARE(lists, (QStringList{u"quick=fast,rapid"_s, u"deal="_s, u"dog=hound,pooch"_s,
                                     u"in order="_s}));
    }
};

QTEST_GUILESS_MAIN(TestWordContext)
#include "tst_wordcontext.moc"
