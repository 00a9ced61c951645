#include "engine/statistics.h"
#include "engine/store.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestStatistics : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frequencySummary_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("summary");
        QTest::newRow("empty") << QString() << u"0 "_s;
        QTest::newRow("five times w")
            << u"[0,1]w()\r\n[2,3]w()\r\n[4,5]w()\r\n[6,7]w()\r\n[8,9]w()\r\n"_s << u"5 w(5);"_s;
        QTest::newRow("order of first occurrence")
            << u"[0,3]cat()\r\n[4,6]go()\r\n[7,10]cat()\r\n"_s << u"3 cat(2);go(1);"_s;
        QTest::newRow("forms of be")
            << u"[0,3]was(sp:be)\r\n[4,8]were(sp:be)\r\n[9,11]be()\r\n"_s << u"3 be(3);"_s;
        QTest::newRow("repeated word") << u"[0,1]w()\r\n[2,3]w()\r\n"_s << u"2 w(2);"_s;
        QTest::newRow("key inside a longer key")
            << u"[0,3]cat()\r\n[4,10]concat()\r\n[11,14]cat()\r\n"_s << u"3 cat(2);concat(1);"_s;
        QTest::newRow("longer key first")
            << u"[0,6]concat()\r\n[7,10]cat()\r\n"_s << u"2 concat(1);cat(1);"_s;
        QTest::newRow("reserved under its own text")
            << u"[0,6]Walked(reserved_words)\r\n[7,13]walked(sp:walk)\r\n"_s
            << u"2 Walked(1);walk(1);"_s;
        QTest::newRow("phrase is one key")
            << u"[0,10]look after(sp:look after)\r\n[11,15]look()\r\n"_s
            << u"2 look after(1);look(1);"_s;
        QTest::newRow("percent kept") << u"[0,3]50%()\r\n"_s << u"1 50%(1);"_s;
        QTest::newRow("alternatives ignored")
            << u"[0,4]walk()stroll,hike\r\n[5,9]walk()\r\n"_s << u"2 walk(2);"_s;
    }

    void frequencySummary()
    {
        QFETCH(QString, store);
        QFETCH(QString, summary);
        QCOMPARE(Statistics::frequencySummary(store), summary);
        QCOMPARE(Statistics::wordsAmountOf(summary), Store::parseEntries(store).size());
    }

    void densityItems_data()
    {
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("one word") << u"5 w(5);"_s << QStringList{u"(100.0%)w"_s};
        QTest::newRow("40 words") << u"40 cat(3);dog(4);rest(33);"_s
                                  << QStringList{u"(10.0%)dog"_s, u"(7.5%)cat"_s, u"(82.5%)rest"_s};
        QTest::newRow("case-insensitive order")
            << u"3 b(1);A(1);a(1);"_s << QStringList{u"(33.3%)A"_s, u"(33.3%)a"_s, u"(33.3%)b"_s};
        QTest::newRow("phrase and percent")
            << u"4 look after(2);50%(2);"_s << QStringList{u"(50.0%)50%"_s, u"(50.0%)look after"_s};
        QTest::newRow("no words") << u"0 "_s << QStringList();
        QTest::newRow("no summary") << QString() << QStringList();
    }

    void densityItems()
    {
        QFETCH(QString, summary);
        QFETCH(QStringList, items);
        QCOMPARE(Statistics::densityItems(summary), items);
    }

    void labels_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("words");
        QTest::addColumn<QString>("replaced");
        QTest::addColumn<QString>("amount");
        QTest::newRow("english") << u"Replaced:5/40=12.50%"_s << 120 << u"Replaced:0/120=0.0%"_s
                                 << u"Replaced:120"_s;
        QTest::newRow("bare") << u"Replaced:"_s << 0 << u"Replaced:0/0=0.0%"_s << u"Replaced:0"_s;
        QTest::newRow("no colon") << u"Replaced"_s << 7 << u"0/7=0.0%"_s << u"7"_s;
        QTest::newRow("translated")
            << u"\u7f6e\u63db:3"_s << 2 << u"\u7f6e\u63db:0/2=0.0%"_s << u"\u7f6e\u63db:2"_s;
    }

    void labels()
    {
        QFETCH(QString, label);
        QFETCH(int, words);
        QFETCH(QString, replaced);
        QFETCH(QString, amount);
        QCOMPARE(Statistics::resetStatisticsText(label, words), replaced);
        QCOMPARE(Statistics::wordsAmountText(label, words), amount);
    }

    void labelNumber()
    {
        QCOMPARE(Statistics::labelNumber(u"Word Amount:120"_s), std::optional<int>(120));
        QCOMPARE(Statistics::labelNumber(u"Word Amount:0"_s), std::optional<int>(0));
        QCOMPARE(Statistics::labelNumber(u"Word Amount:"_s), std::nullopt);
        QCOMPARE(Statistics::labelNumber(u"Word Amount"_s), std::nullopt);
    }

    void addReplaced_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("delta");
        QTest::addColumn<QString>("result");
        QTest::newRow("add 3") << u"Replaced:5/40=12.50%"_s << 3 << u"Replaced:8/40=20.00%"_s;
        QTest::newRow("after reset") << u"Replaced:0/120=0.0%"_s << 9 << u"Replaced:9/120=7.50%"_s;
        QTest::newRow("zero") << u"Replaced:5/40=12.50%"_s << 0 << u"Replaced:5/40=12.50%"_s;
        QTest::newRow("no colon") << u"Replaced 5/40"_s << 3 << u"Replaced 5/40"_s;
        QTest::newRow("no words") << u"Replaced:0/0=0.0%"_s << 3 << u"Replaced:3/0=0.00%"_s;
        QTest::newRow("all") << u"Replaced:39/40=97.50%"_s << 1 << u"Replaced:40/40=100.00%"_s;
        QTest::newRow("remove") << u"Replaced:2/8=25.00%"_s << -1 << u"Replaced:1/8=12.50%"_s;
    }

    void addReplaced()
    {
        QFETCH(QString, label);
        QFETCH(int, delta);
        QFETCH(QString, result);
        QCOMPARE(Statistics::addReplacedText(label, delta), result);
    }

    void articleRate_data()
    {
        QTest::addColumn<int>("braces");
        QTest::addColumn<int>("words");
        QTest::addColumn<QString>("rate");
        QTest::newRow("eighth") << 1 << 8 << u"12.50%"_s;
        QTest::newRow("none") << 0 << 40 << u"0.00%"_s;
        QTest::newRow("third") << 1 << 3 << u"33.33%"_s;
        QTest::newRow("all") << 40 << 40 << u"100.00%"_s;
        QTest::newRow("no words") << 0 << 0 << u"0.00%"_s;
    }

    void articleRate()
    {
        QFETCH(int, braces);
        QFETCH(int, words);
        QFETCH(QString, rate);
        QCOMPARE(Statistics::articleRate(braces, words), rate);
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
