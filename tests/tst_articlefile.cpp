#include "app/articlefile.h"
#include "app/articlelistlogic.h"
#include "rtf/rtfreader.h"
#include "rtf/rtfwriter.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using ArticleFile::Encoding;

Q_DECLARE_METATYPE(ArticleFile::Encoding)

namespace {

QString articleData(const QString &name)
{
    return QStringLiteral(REWORDIX_TEST_DATA "/articles/") + name;
}

QString rtfData(const QString &name)
{
    return QStringLiteral(REWORDIX_TEST_DATA "/rtf/") + name;
}

const QString SampleText = u"Café naïve – “quoted” words.\nSecond line ends here.\n"_s;

bool hasBold(const RtfDocument &document, const QString &text)
{
    for (const RtfRun &run : document.runs) {
        if (run.text.contains(text))
            return run.format.bold;
    }
    return false;
}

} // namespace

class TestArticleFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodeText_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Encoding>("encoding");
        QTest::newRow("empty") << QByteArray() << QString() << Encoding::Windows1252;
        QTest::newRow("ascii") << QByteArray("plain") << u"plain"_s << Encoding::Windows1252;
        QTest::newRow("utf-16le mark only")
            << QByteArray("\xFF\xFE") << QString() << Encoding::Utf16Le;
        QTest::newRow("utf-16le") << QByteArray("\xFF\xFE"
                                                "A\0\xE9\0",
                                                6)
                                  << u"A\u00E9"_s << Encoding::Utf16Le;
        // Only the first code unit is a mark; a second one is text.
        QTest::newRow("utf-16le two marks") << QByteArray("\xFF\xFE\xFF\xFE"
                                                          "A\0",
                                                          6)
                                            << u"\uFEFFA"_s << Encoding::Utf16Le;
        QTest::newRow("utf-16le ends at NUL") << QByteArray("\xFF\xFE"
                                                            "A\0\0\0B\0",
                                                            8)
                                              << u"A"_s << Encoding::Utf16Le;
        QTest::newRow("utf-16le odd byte") << QByteArray("\xFF\xFE"
                                                         "A\0B",
                                                         5)
                                           << u"A"_s << Encoding::Utf16Le;
        QTest::newRow("utf-16be") << QByteArray("\xFE\xFF\0A\0\xE9", 6) << u"A\u00E9"_s
                                  << Encoding::Utf16Be;
        QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBF"
                                                  "caf\xC3\xA9")
                                    << u"café"_s << Encoding::Utf8;
        QTest::newRow("utf-8 no mark")
            << QByteArray("caf\xC3\xA9 \xE2\x80\x93") << u"café –"_s << Encoding::Utf8;
        QTest::newRow("utf-8 emoji")
            << QByteArray("\xF0\x9F\x98\x80") << u"\U0001F600"_s << Encoding::Utf8;
        QTest::newRow("windows-1252")
            << QByteArray("caf\xE9 \x93q\x94 \x80") << u"café “q” €"_s << Encoding::Windows1252;
        // A lead byte without its continuation is not UTF-8.
        QTest::newRow("broken utf-8 is legacy")
            << QByteArray("\xC3 ok") << u"\u00C3 ok"_s << Encoding::Windows1252;
        QTest::newRow("legacy ends at NUL")
            << QByteArray("ab\0cd", 5) << u"ab"_s << Encoding::Windows1252;
        QTest::newRow("utf-16le without mark")
            << QByteArray("T\0h\0e\0 \0\xE9\0", 10) << u"The \u00E9"_s << Encoding::Utf16Le;
        QTest::newRow("utf-16be without mark")
            << QByteArray("\0T\0h\0e", 6) << u"The"_s << Encoding::Utf16Be;
        QTest::newRow("unmarked utf-16le ends at NUL")
            << QByteArray("O\0K\0\0\0x\0", 8) << u"OK"_s << Encoding::Utf16Le;
    }

    void decodeText()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(Encoding, encoding);
        const ArticleFile::DecodedText decoded = ArticleFile::decodeText(bytes);
        QCOMPARE(decoded.text, text);
        QCOMPARE(decoded.encoding, encoding);
        QCOMPARE(decoded.endedAtNul, QByteArray(QTest::currentDataTag()).endsWith("at NUL"));
    }

    void textFilesOfOtherPrograms_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<Encoding>("encoding");
        QTest::newRow("utf-16le") << u"utf16le-bom.txt"_s << Encoding::Utf16Le;
        QTest::newRow("utf-16be") << u"utf16be-bom.txt"_s << Encoding::Utf16Be;
        QTest::newRow("utf-8 mark") << u"utf8-bom.txt"_s << Encoding::Utf8;
        QTest::newRow("utf-8") << u"utf8.txt"_s << Encoding::Utf8;
        QTest::newRow("windows-1252") << u"windows1252.txt"_s << Encoding::Windows1252;
    }

    void textFilesOfOtherPrograms()
    {
        QFETCH(QString, file);
        QFETCH(Encoding, encoding);
        const ArticleFile::ReadResult result = ArticleFile::readText(articleData(file));
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.text, SampleText);
        QCOMPARE(result.encoding, encoding);
    }

    void textEndsAtTheFirstNul()
    {
        const ArticleFile::ReadResult result =
            ArticleFile::readText(articleData(u"utf16le-nul.txt"_s));
        QVERIFY(result.ok);
        QCOMPARE(result.text, u"Kept text"_s);
    }

    void missingFilesAreErrors()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(u"none.txt"_s);
        ArticleFile::ReadResult result = ArticleFile::readText(missing);
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains(missing));
        result = ArticleFile::readRichText(missing);
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
    }

    void editorLineEnds()
    {
        QCOMPARE(ArticleFile::toEditorText(u"a\r\nb\rc\nd\r\n\r\n"), u"a\nb\nc\nd\n\n"_s);
    }

    void encodeText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty gets the mark") << QString() << QByteArray("\xFF\xFE");
        QTest::newRow("line ends") << u"a\nb"_s
                                   << QByteArray("\xFF\xFE"
                                                 "a\0\r\0\n\0b\0",
                                                 10);
        QTest::newRow("CR LF kept") << u"a\r\nb"_s
                                    << QByteArray("\xFF\xFE"
                                                  "a\0\r\0\n\0b\0",
                                                  10);
        QTest::newRow("own mark") << u"\uFEFFx"_s
                                  << QByteArray("\xFF\xFE"
                                                "x\0",
                                                4);
        QTest::newRow("U+FFFE first") << u"\uFFFEx"_s
                                      << QByteArray("\xFE\xFF"
                                                    "x\0",
                                                    4);
        QTest::newRow("U+EFBB first") << u"\uEFBBx"_s
                                      << QByteArray("\xBB\xEF"
                                                    "x\0",
                                                    4);
    }

    void encodeText()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(ArticleFile::encodeText(text), bytes);
    }

    void textRoundTrip()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"round.txt"_s);
        const QString text = u"Ünïcödé line\n\nthird € line 日本語 \U0001F600"_s;
        QString error;
        QVERIFY2(ArticleFile::writeText(path, text, &error), qPrintable(error));
        const QByteArray bytes = TestUtil::fileBytes(path);
        QVERIFY(bytes.startsWith("\xFF\xFE"));
        QVERIFY(bytes.contains(QByteArray("\r\0\n\0", 4)));
        QCOMPARE(ArticleFile::readText(path).text, text);
    }

    void richTextPathRule_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("rich");
        QTest::newRow("rtf") << u"/a/notes.rtf"_s << true;
        QTest::newRow("upper case") << u"/a/notes.RTF"_s << false;
        QTest::newRow("only the suffix") << u".rtf"_s << true;
        QTest::newRow("too short") << u"rtf"_s << false;
        QTest::newRow("rtf inside") << u"/a/notes.rtf.txt"_s << false;
        QTest::newRow("txt") << u"/a/notes.txt"_s << false;
        QTest::newRow("empty") << QString() << false;
    }

    void richTextPathRule()
    {
        QFETCH(QString, path);
        QFETCH(bool, rich);
        QCOMPARE(ArticleFile::isRichTextPath(path), rich);
    }

    void defaultExtension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << QString() << u".txt"_s;
        QTest::newRow("no dot") << u"/home/u/notes"_s << u"/home/u/notes.txt"_s;
        QTest::newRow("dot in a folder")
            << u"/home/u/my.docs/notes"_s << u"/home/u/my.docs/notes"_s;
        QTest::newRow("rtf") << u"/home/u/notes.rtf"_s << u"/home/u/notes.rtf"_s;
        QTest::newRow("trailing dot") << u"notes."_s << u"notes."_s;
        QTest::newRow("hidden name") << u".notes"_s << u".notes"_s;
    }

    void defaultExtension()
    {
        QFETCH(QString, path);
        QFETCH(QString, expected);
        QCOMPARE(ArticleFile::withDefaultExtension(path, u".txt"), expected);
    }

    void ownRichTextFiles()
    {
        const ArticleFile::ReadResult result =
            ArticleFile::readRichText(articleData(u"own-utf16.rtf"_s));
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(Rtf::plainText(result.document), u"Own blue café text."_s);
        bool blue = false;
        for (const RtfRun &run : result.document.runs)
            blue = blue || (run.text.contains(u"blue") && run.format.colour == 0x0000FFu);
        QVERIFY(blue);
    }

    void richTextRoundTrip()
    {
        RtfDocument document;
        RtfCharFormat bold;
        bold.bold = true;
        Rtf::appendText(document, u"Plain ", {});
        Rtf::appendText(document, u"bold € 日本", bold);
        const QByteArray stream = Rtf::write(document);
        const QByteArray file = ArticleFile::encodeRichText(stream);
        QCOMPARE(file.size(), stream.size() * 2);
        QCOMPARE(file.at(1), '\0');
        QCOMPARE(ArticleFile::rtfStream(file), stream);

        QTemporaryDir dir;
        const QString path = dir.filePath(u"a.rtf"_s);
        QString error;
        QVERIFY2(ArticleFile::writeRichText(path, stream, &error), qPrintable(error));
        QCOMPARE(TestUtil::fileBytes(path), file);
        const ArticleFile::ReadResult read = ArticleFile::readRichText(path);
        QVERIFY2(read.ok, qPrintable(read.error));
        QCOMPARE(Rtf::plainText(read.document), u"Plain bold € 日本"_s);
        QVERIFY(hasBold(read.document, u"bold"_s));
    }

    void rtfStreamForms()
    {
        const QByteArray eightBit = "{\\rtf1 caf\\'e9}";
        QCOMPARE(ArticleFile::rtfStream(eightBit), eightBit);
        QCOMPARE(ArticleFile::rtfStream(QByteArray(QByteArray("\xEF\xBB\xBF") + eightBit)),
                 eightBit);
        QByteArray wide("\xFF\xFE");
        wide += ArticleFile::encodeRichText(eightBit);
        QCOMPARE(ArticleFile::rtfStream(wide), eightBit);
        // A unit beyond Windows-1252 cannot come from our writer; it narrows to "?".
        const QByteArray odd("{\0\\\0\x3A\x04", 6);
        QCOMPARE(ArticleFile::rtfStream(odd), QByteArray("{\\?"));
    }

    void richTextOfOtherEditors_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("boldWord");
        QTest::newRow("wordpad") << u"wordpad-basic.rtf"_s << u"café and Ωmega"_s << u"bold"_s;
        QTest::newRow("libreoffice")
            << u"libreoffice-formats.rtf"_s << u"Café Ωmega 日本語"_s << u"bold"_s;
        QTest::newRow("wordpad cyrillic") << u"wordpad-cp1251.rtf"_s << QString() << QString();
    }

    void richTextOfOtherEditors()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QFETCH(QString, boldWord);
        const ArticleFile::ReadResult result = ArticleFile::readRichText(rtfData(file));
        QVERIFY2(result.ok, qPrintable(result.error));
        const QString text = Rtf::plainText(result.document);
        QVERIFY(!text.isEmpty());
        QVERIFY2(text.contains(expected), qPrintable(text));
        if (!boldWord.isEmpty())
            QVERIFY(hasBold(result.document, boldWord));
    }

    void notRichText()
    {
        const ArticleFile::ReadResult result =
            ArticleFile::readRichText(articleData(u"utf8.txt"_s));
        QVERIFY(!result.ok);
        QVERIFY(result.error.contains(u"utf8.txt"));
    }

    void failedWritesSayWhy()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(u"plain"_s);
        QVERIFY(ArticleFile::writeText(file, u"x"_s));
        // A path below a file can never be created, whoever runs the test.
        QString error;
        QVERIFY(!ArticleFile::writeText(file + u"/a.txt"_s, u"x"_s, &error));
        QVERIFY(error.contains(u"a.txt"));
        error.clear();
        QVERIFY(!ArticleFile::writeRichText(file + u"/a.rtf"_s, "{\\rtf1}", &error));
        QVERIFY(!error.isEmpty());
    }

    void moveReplacing()
    {
        QTemporaryDir dir;
        const QString source = dir.filePath(u"1.txt"_s);
        const QString target = dir.filePath(u"out/1.txt"_s);
        QVERIFY(QDir().mkpath(dir.filePath(u"out"_s)));
        QVERIFY(ArticleFile::writeText(source, u"new"_s));
        QVERIFY(ArticleFile::writeText(target, u"old"_s));
        QString error;
        QVERIFY2(ArticleFile::moveReplacing(source, target, &error), qPrintable(error));
        QVERIFY(!QFile::exists(source));
        QCOMPARE(ArticleFile::readText(target).text, u"new"_s);

        // A missing source leaves the target as it was.
        QVERIFY(!ArticleFile::moveReplacing(source, target, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(ArticleFile::readText(target).text, u"new"_s);
    }

    void compareRates_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("closer than 0.01") << u"12.345%"_s << u"12.349%"_s << 0;
        QTest::newRow("equal") << u"50.00%"_s << u"50.00%"_s << 0;
        QTest::newRow("less") << u"12.34%"_s << u"12.36%"_s << -1;
        QTest::newRow("greater") << u"100.00%"_s << u"9.50%"_s << 1;
        QTest::newRow("without number") << u"%"_s << u"0.50%"_s << -1;
        QTest::newRow("empty") << QString() << QString() << 0;
    }

    void compareRates()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(ArticleListLogic::compareRates(a, b), order);
        QCOMPARE(ArticleListLogic::compareRates(b, a), -order);
    }

    void compareNames()
    {
        QCOMPARE(ArticleListLogic::compareNames(u"original article", u"1"), -1);
        QCOMPARE(ArticleListLogic::compareNames(u"10", u"9"), 1);
        QCOMPARE(ArticleListLogic::compareNames(u"7", u"7"), 0);
        QCOMPARE(ArticleListLogic::compareNames(u"99999999999", u"1"), 1);
    }

    void leadingNumbers()
    {
        QCOMPARE(ArticleListLogic::leadingInteger(u"  -42abc"), -42);
        QCOMPARE(ArticleListLogic::leadingInteger(u"+7"), 7);
        QCOMPARE(ArticleListLogic::leadingInteger(u"x1"), 0);
        QCOMPARE(ArticleListLogic::leadingNumber(u" 12.5%"), 12.5);
        QCOMPARE(ArticleListLogic::leadingNumber(u"-1.5e2x"), -150.0);
        QCOMPARE(ArticleListLogic::leadingNumber(u"abc"), 0.0);
        QCOMPARE(ArticleListLogic::leadingNumber(u"1e999"), 0.0);
    }

    void formatMenuZone_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<bool>("menu");
        // A button from 100 to 200 (exclusive): the menu zone starts at 180.
        QTest::newRow("left edge") << 100 << false;
        QTest::newRow("middle") << 150 << false;
        QTest::newRow("just left of the fifth") << 179 << false;
        QTest::newRow("first pixel of the fifth") << 180 << true;
        QTest::newRow("right edge") << 199 << true;
        QTest::newRow("right of the button") << 260 << true;
    }

    void formatMenuZone()
    {
        QFETCH(int, x);
        QFETCH(bool, menu);
        QCOMPARE(ArticleListLogic::opensFormatMenu(x, 100, 200), menu);
    }

    void replacedLabel()
    {
        QCOMPARE(ArticleListLogic::replacedLabelText(u"Replaced:3/9=33.33%"_s, u"12.50%"_s),
                 u"Replaced:12.50%"_s);
        QCOMPARE(ArticleListLogic::replacedLabelText(u":x"_s, u"1.00%"_s), u":x1.00%"_s);
        QCOMPARE(ArticleListLogic::replacedLabelText(u"Replaced"_s, u"1.00%"_s),
                 u"Replaced1.00%"_s);
    }

    void stableSortKeepsEqualRows()
    {
        QList<std::pair<int, int>> items{{3, 0}, {1, 1}, {3, 2}, {2, 3}, {1, 4}};
        const std::function<int(const std::pair<int, int> &, const std::pair<int, int> &)> byKey =
            [](const auto &a, const auto &b) {
                return a.first - b.first;
            };
        ArticleListLogic::stableSort(items, byKey);
        const QList<std::pair<int, int>> expected{{1, 1}, {1, 4}, {2, 3}, {3, 0}, {3, 2}};
        QCOMPARE(items, expected);
    }

    void stableSortSurvivesRateComparisons()
    {
        const std::function<int(const QString &, const QString &)> compare = [](const QString &a,
                                                                                const QString &b) {
            return ArticleListLogic::compareRates(a, b);
        };
        // Rates 0.004 apart: neighbours compare equal, distant ones do not. The
        // result is still a permutation of the rows.
        QStringList rates;
        for (int i = 0; i < 500; ++i)
            rates.append(QString::number(12.0 + ((i * 7919) % 500) * 0.004, 'f', 3) + u'%');
        QStringList sorted = rates;
        ArticleListLogic::stableSort(sorted, compare);
        QStringList a = sorted;
        QStringList b = rates;
        a.sort();
        b.sort();
        QCOMPARE(a, b);

        // Rates 0.02 apart come out in order.
        rates.clear();
        for (int i = 0; i < 300; ++i)
            rates.append(QString::number(5.0 + ((i * 7919) % 300) * 0.02, 'f', 2) + u'%');
        sorted = rates;
        ArticleListLogic::stableSort(sorted, compare);
        for (qsizetype i = 1; i < sorted.size(); ++i)
            QVERIFY2(ArticleListLogic::leadingNumber(sorted[i]) >
                         ArticleListLogic::leadingNumber(sorted[i - 1]),
                     qPrintable(sorted[i - 1] + u' ' + sorted[i]));
    }
};

QTEST_GUILESS_MAIN(TestArticleFile)
#include "tst_articlefile.moc"
