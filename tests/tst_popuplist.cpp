#include "engine/popuplist.h"
#include "engine/store.h"
#include "testdictionary.h"
#include "testutil.h"

#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QList<TestDictionary::Entry> popupEntries()
{
    QList<TestDictionary::Entry> entries = TestDictionary::standardEntries();
    entries.append({
        {u"zed"_s, u"noun"_s, u"alpha,beta"_s},
        {u"zed"_s, u"verb"_s, u"gamma,alpha"_s},
        {u"see"_s, u"verb"_s, u"watch,view"_s},
        {u"sew"_s, u"verb"_s, u"stitch"_s},
    });
    return entries;
}

QList<TestDictionary::Irregular> popupIrregulars()
{
    QList<TestDictionary::Irregular> irregulars = TestDictionary::standardIrregulars();
    // "saw" is a reading of two verbs.
    irregulars.append({{u"see"_s, u"sp=saw;pp=seen;ip=seeing;"_s}, {u"sew"_s, u"sp=saw;"_s}});
    return irregulars;
}

} // namespace

class TestPopupList : public TestDictionary::Fixture
{
    Q_OBJECT

private:
    std::unique_ptr<Dictionary> m_dict;

    QString storePath() const { return file(u"temp.dat"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        m_dict = TestDictionary::createAndOpen(file(u"dictionary.db"_s), popupEntries(),
                                               popupIrregulars());
        QVERIFY(m_dict);
    }

    void init() { QFile::remove(storePath()); }

    void rules_data() { TestUtil::addTableRows(u"popuplist/rules.tsv"_s); }

    void rules()
    {
        const QString store = u"[0,6]walked(sp:walk)<verb>(blank),strolled\r\n[7,10]The(if:the)\r\n"
                              "[11,14]saw(sp|sp:see|sew)\r\n[15,18]dog()\r\n"_s;
        TestUtil::checkRule({
            {u"build"_s,
             [](auto &in, auto &) {
                 return PopupList::build(in);
             }},
            {u"wantsCapitals"_s,
             [](auto &in, auto &) {
                 return QString::number(PopupList::wantsCapitals(in));
             }},
            {u"clickedText"_s,
             [](auto &in, auto &arg) {
                 const int start = arg.section(u',', 0, 0).toInt();
                 const int end = arg.section(u',', 1).toInt();
                 const TextRange range = PopupList::trimmed(
                     in, start == end ? PopupList::wordAround(in, start) : TextRange{start, end});
                 const QString taken = in.mid(range.start, range.end - range.start);
                 return range.isEmpty() == taken.isEmpty() ? taken : u"empty range, but text"_s;
             }},
            {u"libraryWord"_s,
             [&](auto &in, auto &) {
                 return PopupList::libraryWord(store, in);
             }},
            {u"wordCount"_s,
             [](auto &in, auto &) {
                 return QString::number(PopupList::wordCount(in));
             }},
            {u"record"_s,
             [](auto &in, auto &arg) {
                 return PopupList::record(in, arg);
             }},
            {u"hasRecord"_s,
             [](auto &in, auto &arg) {
                 return QString::number(PopupList::hasRecord(in, arg));
             }},
        });
    }

    void groupsAndTheirTexts()
    {
        const QString list = u"<All>(blank),a,c,b<noun>a,b<verb>c,a"_s;
        const QList<PopupGroup> groups = PopupList::groups(list);
        QCOMPARE(groups.size(), 3);
        QCOMPARE(groups[0], (PopupGroup{u"All"_s, {u"(blank)"_s, u"a"_s, u"c"_s, u"b"_s}}));
        QCOMPARE(groups[2], (PopupGroup{u"verb"_s, {u"c"_s, u"a"_s}}));
        QCOMPARE(PopupList::groupContaining(list, u"c"), 0);
        QCOMPARE(PopupList::groupContaining(u"<noun>(blank),a<verb>c", u"c"), 1);
        QCOMPARE(PopupList::groupContaining(list, u"d"), -1);
        QCOMPARE(PopupList::groupContaining(list, u"(b"), -1);
        // A plain list, as the auto-rewrite leaves it, is one unnamed group.
        QCOMPARE(PopupList::groups(u"x,y"),
                 (QList<PopupGroup>{PopupGroup{QString(), {u"x"_s, u"y"_s}}}));
    }

    void checkedRows_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QList<int>>("checked");
        const QStringList rows = {u"(blank)"_s, u"large"_s, u"huge"_s, u"great"_s};
        QTest::newRow("the word itself") << rows << u"big"_s << QList<int>{};
        QTest::newRow("a replacement") << rows << u"huge"_s << QList<int>{2};
        QTest::newRow("a group") << rows << u"{large|great}"_s << QList<int>{1, 3};
        QTest::newRow("no part match") << rows << u"larger"_s << QList<int>{};
    }
    void checkedRows()
    {
        QFETCH(QStringList, rows);
        QFETCH(QString, selected);
        QFETCH(QList<int>, checked);
        QCOMPARE(PopupList::checkedRows(rows, selected), checked);
    }

    void navigation_data() { TestUtil::addTableRows(u"popuplist/navigation.tsv"_s); }
    void navigation()
    {
        QFETCH(int, caret);
        QFETCH(bool, forward);
        QFETCH(QString, word);
        QFETCH(int, newCaret);
        const QString text = u"The big, red dog."_s;
        const WordSpan span =
            forward ? PopupList::nextWord(text, caret) : PopupList::previousWord(text, caret);
        QCOMPARE(span.text, word);
        if (!word.isEmpty()) {
            QCOMPARE(forward ? PopupList::caretIntoNext(span) : PopupList::caretIntoPrevious(span),
                     newCaret);
        }
        QCOMPARE(PopupList::caretIntoNext(WordSpan{3, 4, u"a"_s}), 3);
        QCOMPARE(PopupList::caretIntoPrevious(WordSpan{3, 4, u"a"_s}), 3);
    }

    void placement_data()
    {
        QTest::addColumn<QPoint>("charPos");
        QTest::addColumn<int>("screenBottom");
        QTest::addColumn<QPoint>("expected");
        // Editor client area at (100, 50), 600 by 400; font 12 points; popup 238 high.
        QTest::newRow("below the word") << QPoint(40, 20) << 1000 << QPoint(140, 50 + 20 + 12 + 9);
        QTest::newRow("right edge") << QPoint(590, 20) << 1000 << QPoint(700 - 190, 91);
        QTest::newRow("exactly at the limit") << QPoint(410, 20) << 1000 << QPoint(510, 91);
        QTest::newRow("one past the limit") << QPoint(411, 20) << 1000 << QPoint(510, 91);
        // y = 50 + 300 + 12 = 362; 238 + 362 + 5 > 600 - 20: above the line.
        QTest::newRow("near the bottom")
            << QPoint(40, 300) << 600 << QPoint(140, 362 - 12 - 238 - 5 + 9);
        QTest::newRow("just fits") << QPoint(40, 300) << 625 << QPoint(140, 371);
    }
    void placement()
    {
        QFETCH(QPoint, charPos);
        QFETCH(int, screenBottom);
        QFETCH(QPoint, expected);
        PopupList::PlacementInput input;
        input.charPos = charPos;
        input.editorRect = QRect(100, 50, 600, 400);
        input.fontHeight = 12;
        input.popupHeight = 238;
        input.screenBottom = screenBottom;
        QCOMPARE(PopupList::placement(input), expected);
    }

    void fillLooksUpAndCachesAnEntry()
    {
        const QString store = u"[0,3]The(if:the)\r\n[4,7]zed()\r\n[8,14]walked(sp:walk)\r\n"_s;
        QVERIFY(Store::writeStore(storePath(), store, true));
        const PopupFill fill = PopupList::fill(u"zed"_s, m_dict.get(), storePath(), true);
        QCOMPARE(fill.alternatives,
                 u"<All>(blank),alpha,gamma,beta<noun>alpha,beta<verb>gamma,alpha"_s);
        QVERIFY(!fill.hide);
        QCOMPARE(Store::readStore(storePath(), true),
                 u"[0,3]The(if:the)\r\n[4,7]zed()<All>(blank),alpha,gamma,beta<noun>alpha,beta"
                 "<verb>gamma,alpha\r\n[8,14]walked(sp:walk)\r\n"_s);

        // The tag's base, bent into the tag's form.
        const PopupFill walked = PopupList::fill(u"walked"_s, m_dict.get(), storePath(), true);
        QCOMPARE(walked.alternatives, u"<All>(blank),strolled,stroll,marched,promenade,hiked"
                                      "<verb>strolled,marched,hiked<noun>stroll,promenade"_s);

        // A capitalised word: its alternatives capitalised, the cache not.
        const PopupFill the = PopupList::fill(u"The"_s, m_dict.get(), storePath(), true);
        QCOMPARE(the.alternatives, u"<article>(blank),This"_s);
        QVERIFY(Store::readStore(storePath(), true)
                    .contains(u"[0,3]The(if:the)<article>(blank),this\r\n"));
    }

    void fillUsesTheCachedList()
    {
        QVERIFY(Store::writeStore(storePath(), u"[0,3]big()<adjective>(blank),vast\r\n"_s, true));
        const PopupFill fill = PopupList::fill(u"big"_s, m_dict.get(), storePath(), true);
        QCOMPARE(fill.alternatives, u"<adjective>(blank),vast"_s);
    }

    void fillOfEntriesWithoutAlternatives_data()
    {
        TestUtil::addTableRows(u"popuplist/entries-without-alternatives.tsv"_s);
    }
    void fillOfEntriesWithoutAlternatives()
    {
        QFETCH(QString, store);
        QFETCH(QString, word);
        QFETCH(bool, hide);
        QVERIFY(Store::writeStore(storePath(), store, false));
        const PopupFill fill = PopupList::fill(word, m_dict.get(), storePath(), false);
        QVERIFY(fill.alternatives.isEmpty());
        QCOMPARE(fill.hide, hide);
        QVERIFY(fill.skippable);
        QCOMPARE(Store::readStore(storePath()), store);
    }

    void fillAppendsAnEntryForAnUnseenWord_data()
    {
        TestUtil::addTableRows(u"popuplist/unseen-words.tsv"_s);
    }
    void fillAppendsAnEntryForAnUnseenWord()
    {
        QFETCH(QString, word);
        QFETCH(QString, alternatives);
        QVERIFY(Store::writeStore(storePath(), u"[0,3]dog()\r\n"_s, true));
        const PopupFill fill = PopupList::fill(word, m_dict.get(), storePath(), true);
        QCOMPARE(fill.alternatives, alternatives);
        QCOMPARE(Store::readStore(storePath(), true),
                 u"[0,3]dog()\r\n[x,x]"_s + word + u"()"_s + alternatives + u"\r\n"_s);
        // The second time the appended entry answers.
        QCOMPARE(PopupList::fill(word, m_dict.get(), storePath(), true).alternatives, alternatives);
    }

    void fillOfAnEntryWithSeveralReadings()
    {
        QVERIFY(Store::writeStore(storePath(), u"[0,3]saw(sp|sp:see|sew)\r\n"_s, false));
        const PopupFill fill = PopupList::fill(u"saw"_s, m_dict.get(), storePath(), false);
        QCOMPARE(fill.alternatives,
                 u"<All>(blank),watched,stitched,viewed<verb>watched,viewed<verb>stitched"_s);
    }

    void fillRefuses_data() { TestUtil::addTableRows(u"popuplist/refused-words.tsv"_s); }
    void fillRefuses()
    {
        QFETCH(QString, word);
        QFETCH(bool, skippable);
        const PopupFill fill = PopupList::fill(word, m_dict.get(), storePath(), true);
        QVERIFY(fill.alternatives.isEmpty());
        QCOMPARE(fill.skippable, skippable);
        QVERIFY(!QFile::exists(storePath()));
    }

    void fillWithoutDictionary()
    {
        const PopupFill fill = PopupList::fill(u"big"_s, nullptr, storePath(), true);
        QVERIFY(fill.alternatives.isEmpty());
        QVERIFY(!fill.skippable);
    }

    void fillOfFiftyCharacters()
    {
        // Fifty characters are still looked up (and found nowhere).
        const PopupFill fill = PopupList::fill(QString(50, u'a'), m_dict.get(), storePath(), true);
        QVERIFY(fill.alternatives.isEmpty());
        QVERIFY(fill.skippable);
    }

    void clearingCachedAlternatives()
    {
        const QString store = u"[0,3]big()<adjective>(blank),vast\r\n[4,10]walked(sp:walk)<verb>x"
                              "\r\n[11,14]dog()\r\n[x,x]cat()<noun>(blank),feline"_s;
        const QString cleared =
            u"[0,3]big()\r\n[4,10]walked(sp:walk)\r\n[11,14]dog()\r\n[x,x]cat()"_s;
        QCOMPARE(PopupList::withoutCachedAlternatives(store), cleared);
        QVERIFY(Store::writeStore(storePath(), store, true));
        QVERIFY(PopupList::clearCachedAlternatives(storePath(), true));
        QCOMPARE(Store::readStore(storePath(), true), cleared);
        // A missing store stays missing.
        QFile::remove(storePath());
        QVERIFY(PopupList::clearCachedAlternatives(storePath(), true));
        QVERIFY(!QFile::exists(storePath()));
    }
};

QTEST_GUILESS_MAIN(TestPopupList)
#include "tst_popuplist.moc"
