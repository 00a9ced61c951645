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
        // bytes in hex
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Encoding>("encoding");
        const auto row = [](const char *tag, const char *hex, const QString &text, Encoding e) {
            QTest::newRow(tag) << QByteArray::fromHex(hex) << text << e;
        };
        row("empty", "", QString(), Encoding::Windows1252);
        row("ascii", "706c61696e", u"plain"_s, Encoding::Windows1252);
        row("utf-16le mark only", "fffe", QString(), Encoding::Utf16Le);
        row("utf-16le", "fffe 4100 e900", u"A\u00E9"_s, Encoding::Utf16Le);
        // Only the first code unit is a mark; a second one is text.
        row("utf-16le two marks", "fffe fffe 4100", u"\uFEFFA"_s, Encoding::Utf16Le);
        row("utf-16le ends at NUL", "fffe 4100 0000 4200", u"A"_s, Encoding::Utf16Le);
        row("utf-16le odd byte", "fffe 4100 42", u"A"_s, Encoding::Utf16Le);
        row("utf-16be", "feff 0041 00e9", u"A\u00E9"_s, Encoding::Utf16Be);
        row("utf-8 mark", "efbbbf 636166c3a9", u"café"_s, Encoding::Utf8);
        row("utf-8 no mark", "636166c3a9 20 e28093", u"café –"_s, Encoding::Utf8);
        row("utf-8 emoji", "f09f9880", u"\U0001F600"_s, Encoding::Utf8);
        row("windows-1252", "636166e9 20 937194 20 80", u"café “q” €"_s, Encoding::Windows1252);
        // A lead byte without its continuation is not UTF-8.
        row("broken utf-8 is legacy", "c3 206f6b", u"\u00C3 ok"_s, Encoding::Windows1252);
        row("legacy ends at NUL", "6162 00 6364", u"ab"_s, Encoding::Windows1252);
        row("utf-16le without mark", "5400 6800 6500 2000 e900", u"The \u00E9"_s,
            Encoding::Utf16Le);
        row("utf-16be without mark", "0054 0068 0065", u"The"_s, Encoding::Utf16Be);
        row("unmarked utf-16le ends at NUL", "4f00 4b00 0000 7800", u"OK"_s, Encoding::Utf16Le);
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
        const ArticleFile::ReadResult result =
            ArticleFile::readText(TestUtil::testDataPath(u"articles/"_s + file));
        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(result.text, SampleText);
        QCOMPARE(result.encoding, encoding);
    }

    void textEndsAtTheFirstNul()
    {
        const ArticleFile::ReadResult result =
            ArticleFile::readText(TestUtil::testDataPath(u"articles/utf16le-nul.txt"_s));
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
        const auto row = [](const char *tag, const QString &text, const char *hex) {
            QTest::newRow(tag) << text << QByteArray::fromHex(hex);
        };
        row("empty gets the mark", QString(), "fffe");
        row("line ends", u"a\nb"_s, "fffe 6100 0d00 0a00 6200");
        row("CR LF kept", u"a\r\nb"_s, "fffe 6100 0d00 0a00 6200");
        row("own mark", u"\uFEFFx"_s, "fffe 7800");
        row("U+FFFE first", u"\uFFFEx"_s, "feff 7800");
        row("U+EFBB first", u"\uEFBBx"_s, "bbef 7800");
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

    void ownRichTextFiles()
    {
        const ArticleFile::ReadResult result =
            ArticleFile::readRichText(TestUtil::testDataPath(u"articles/own-utf16.rtf"_s));
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
        TestUtil::addTableRows(u"articlefile/other-editors.tsv"_s);
    }

    void richTextOfOtherEditors()
    {
        QFETCH(QString, file);
        QFETCH(QString, expected);
        QFETCH(QString, boldWord);
        const ArticleFile::ReadResult result =
            ArticleFile::readRichText(TestUtil::testDataPath(u"rtf/"_s + file));
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
            ArticleFile::readRichText(TestUtil::testDataPath(u"articles/utf8.txt"_s));
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

    void rules_data() { TestUtil::addTableRows(u"articlefile/rules.tsv"_s); }

    void rules()
    {
        using namespace ArticleListLogic;
        const auto number = [](auto value) {
            return QString::number(value, 'g', 17);
        };
        TestUtil::checkRule({
            {u"isRichTextPath"_s,
             [&](auto &in, auto &) {
                 return number(ArticleFile::isRichTextPath(in));
             }},
            {u"withDefaultExtension"_s,
             [](auto &in, auto &) {
                 return ArticleFile::withDefaultExtension(in, u".txt");
             }},
            {u"compareRates"_s,
             [&](auto &in, auto &arg) {
                 const int order = compareRates(in, arg);
                 return order == -compareRates(arg, in) ? number(order) : u"one-sided"_s;
             }},
            {u"opensFormatMenu"_s,
             [&](auto &in, auto &) {
                 return number(opensFormatMenu(in.toInt(), 100, 200));
             }},
            {u"compareNames"_s,
             [&](auto &in, auto &arg) {
                 return number(compareNames(in, arg));
             }},
            {u"leadingInteger"_s,
             [&](auto &in, auto &) {
                 return number(leadingInteger(in));
             }},
            {u"leadingNumber"_s,
             [&](auto &in, auto &) {
                 return number(leadingNumber(in));
             }},
            {u"replacedLabelText"_s,
             [](auto &in, auto &arg) {
                 return replacedLabelText(in, arg);
             }},
        });
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
