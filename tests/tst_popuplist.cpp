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

class TestPopupList : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Dictionary> m_dict;

    QString storePath() const { return m_dir.filePath(u"temp.dat"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QString path = m_dir.filePath(u"dictionary.db"_s);
        QVERIFY(TestDictionary::create(path, popupEntries(), popupIrregulars(), true));
        QString error;
        m_dict = Dictionary::open(path, true, false, &error);
        QVERIFY2(m_dict, qPrintable(error));
    }

    void init() { QFile::remove(storePath()); }

    void build_data()
    {
        QTest::addColumn<QString>("marked");
        QTest::addColumn<QString>("alternatives");
        QTest::newRow("one group") << u"<noun>kid,youngster"_s << u"<noun>(blank),kid,youngster"_s;
        QTest::newRow("round robin")
            << u"<noun>a,b<verb>c,a"_s << u"<All>(blank),a,c,b<noun>a,b<verb>c,a"_s;
        QTest::newRow("uneven groups")
            << u"<noun>a,b,c<verb>d<adjective>e,f"_s
            << u"<All>(blank),a,d,e,b,f,c<noun>a,b,c<verb>d<adjective>e,f"_s;
        QTest::newRow("exact comparison")
            << u"<noun>Big<adjective>big"_s << u"<All>(blank),Big,big<noun>Big<adjective>big"_s;
        QTest::newRow("readings joined by commas")
            << u"<verb>a,b,<verb>c"_s << u"<All>(blank),a,c,b<verb>a,b<verb>c"_s;
        QTest::newRow("empty group dropped") << u"<noun><verb>x"_s << u"<verb>(blank),x"_s;
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("only markers") << u"<noun>"_s << QString();
    }
    void build()
    {
        QFETCH(QString, marked);
        QFETCH(QString, alternatives);
        QCOMPARE(PopupList::build(marked), alternatives);
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

    void wantsCapitals_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("capitals");
        QTest::newRow("capitalised") << u"Walk"_s << true;
        QTest::newRow("all capitals") << u"WALK"_s << false;
        QTest::newRow("lower case") << u"walk"_s << false;
        QTest::newRow("one letter") << u"W"_s << false;
        QTest::newRow("apostrophe") << u"I'm"_s << true;
        QTest::newRow("digit second") << u"A1"_s << true;
        QTest::newRow("non-ASCII first") << u"Élan"_s << false;
    }
    void wantsCapitals()
    {
        QFETCH(QString, word);
        QFETCH(bool, capitals);
        QCOMPARE(PopupList::wantsCapitals(word), capitals);
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

    void recordsAndWordCounts()
    {
        QCOMPARE(PopupList::record(u"large", u"big"), u"[large]=big"_s);
        QCOMPARE(PopupList::wordCount(u"big"), 1);
        QCOMPARE(PopupList::wordCount(u"look after"), 2);
        QCOMPARE(PopupList::wordCount(u" big"), 1);
        QCOMPARE(PopupList::wordCount(u"a b c"), 3);
        const QString records = u"[large]=big\r\n[huge]=bigger\r\n"_s;
        QVERIFY(PopupList::hasRecord(records, u"[large]=big"));
        QVERIFY(PopupList::hasRecord(records, u"[huge]=bigger"));
        QVERIFY(!PopupList::hasRecord(records, u"[huge]=big"));
        QVERIFY(!PopupList::hasRecord(u"x[large]=big\r\n", u"[large]=big"));
        QVERIFY(PopupList::hasRecord(u"[large]=big", u"[large]=big"));
        QVERIFY(!PopupList::hasRecord(QString(), u"[large]=big"));
    }

    void clickedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("taken");
        QTest::newRow("caret inside") << u"a big dog"_s << 3 << 3 << u"big"_s;
        QTest::newRow("caret after") << u"a big dog"_s << 5 << 5 << u"big"_s;
        QTest::newRow("caret before") << u"a big dog"_s << 2 << 2 << u"big"_s;
        QTest::newRow("between blanks") << u"a  dog"_s << 2 << 2 << QString();
        QTest::newRow("quoted") << u"a 'big' dog"_s << 4 << 4 << u"big"_s;
        QTest::newRow("trailing marks") << u"done-: now"_s << 1 << 1 << u"done"_s;
        QTest::newRow("leading colon") << u"x ::30 y"_s << 4 << 4 << u"30"_s;
        QTest::newRow("inner marks") << u"It's 10:30"_s << 1 << 1 << u"It's"_s;
        QTest::newRow("selection trimmed")
            << u"say, \"look after\" him"_s << 3 << 18 << u"look after"_s;
        QTest::newRow("selection of signs") << u"a -- b"_s << 2 << 4 << QString();
        QTest::newRow("dollar") << u"pay $5 now"_s << 5 << 5 << u"$5"_s;
    }
    void clickedText()
    {
        QFETCH(QString, text);
        QFETCH(int, start);
        QFETCH(int, end);
        QFETCH(QString, taken);
        const TextRange around =
            start == end ? PopupList::wordAround(text, start) : TextRange{start, end};
        const TextRange range = PopupList::trimmed(text, around);
        QCOMPARE(text.mid(range.start, range.end - range.start), taken);
        QCOMPARE(range.isEmpty(), taken.isEmpty());
    }

    void navigation_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<bool>("forward");
        QTest::addColumn<QString>("word");
        QTest::addColumn<int>("newCaret");
        // "The big, red dog." with "big" selected: caret at its end (7), its
        // start at 4.
        QTest::newRow("next from a word's end") << 7 << true << u"red"_s << 10;
        QTest::newRow("next from inside") << 5 << true << u"red"_s << 10;
        QTest::newRow("previous from a word's start") << 4 << false << u"The"_s << 2;
        QTest::newRow("previous of the first") << 0 << false << QString() << -1;
        QTest::newRow("next of the last") << 15 << true << QString() << -1;
        QTest::newRow("previous from the last word") << 13 << false << u"red"_s << 11;
    }
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
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("hide");
        QTest::newRow("reserved") << u"[0,3]big(reserved_words)\r\n"_s << u"big"_s << true;
        QTest::newRow("ignored") << u"[0,3]big(ignore_words)\r\n"_s << u"big"_s << true;
        QTest::newRow("ignored with tag")
            << u"[0,4]went(ignore_words|sp:go)\r\n"_s << u"went"_s << true;
        QTest::newRow("unknown") << u"[0,3]qzx(not_exist)\r\n"_s << u"qzx"_s << false;
        QTest::newRow("nothing in the dictionary") << u"[0,3]qzx()\r\n"_s << u"qzx"_s << false;
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
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("alternatives");
        QTest::newRow("headword") << u"big"_s << u"<adjective>(blank),large,huge,great"_s;
        QTest::newRow("irregular form") << u"went"_s << u"<verb>(blank),moved,traveled,proceeded"_s;
        QTest::newRow("several readings")
            << u"saw"_s
            << u"<All>(blank),watched,stitched,viewed<verb>watched,viewed<verb>stitched"_s;
        QTest::newRow("regular ending") << u"walked"_s << u"<verb>(blank),strolled,marched,hiked"_s;
        QTest::newRow("plural of a noun") << u"flies"_s
                                          << u"<All>(blank),soars,insects,glides<verb>soars,glides"
                                             "<noun>insects"_s;
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

    void fillRefuses_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("skippable");
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("double quote") << u"big\""_s << false;
        QTest::newRow("51 characters") << QString(51, u'a') << false;
        QTest::newRow("one sign") << u"&"_s << true;
        QTest::newRow("one non-ASCII letter") << u"é"_s << true;
    }
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

    void libraryWord_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("libraryWord");
        QTest::newRow("regular form") << u"walked"_s << u"walk"_s;
        QTest::newRow("capitalised") << u"The"_s << u"the"_s;
        QTest::newRow("several readings") << u"saw"_s << u"see"_s;
        QTest::newRow("no tag") << u"dog"_s << u"dog"_s;
        QTest::newRow("no entry") << u"cat"_s << u"cat"_s;
    }
    void libraryWord()
    {
        QFETCH(QString, word);
        QFETCH(QString, libraryWord);
        const QString store = u"[0,6]walked(sp:walk)<verb>(blank),strolled\r\n[7,10]The(if:the)\r\n"
                              "[11,14]saw(sp|sp:see|sew)\r\n[15,18]dog()\r\n"_s;
        QCOMPARE(PopupList::libraryWord(store, word), libraryWord);
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
