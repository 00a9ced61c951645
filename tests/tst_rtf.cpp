#include "rtf/rtfcharformat.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfdocument.h"
#include "rtf/rtfreader.h"
#include "rtf/rtftextdocument.h"
#include "rtf/rtfwriter.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QRandomGenerator>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(RtfCharFormat)
Q_DECLARE_METATYPE(RtfDocument)

namespace {

QString describe(const RtfCharFormat &format)
{
    QString text = u"'%1' %2hp"_s.arg(format.face).arg(format.halfPoints);
    if (format.bold)
        text += u" b"_s;
    if (format.italic)
        text += u" i"_s;
    if (format.underline)
        text += u" ul"_s;
    if (format.colour)
        text += u" #%1"_s.arg(qulonglong(*format.colour), 6, 16, QChar(u'0'));
    return text;
}

} // namespace

char *toString(const RtfDocument &document)
{
    QString text;
    for (const RtfRun &run : document.runs) {
        QString escaped = run.text;
        escaped.replace(u'\n', u"\\n"_s).replace(QChar::LineSeparator, u"\\L"_s);
        text += u"[%1|%2]"_s.arg(escaped, describe(run.format));
    }
    return qstrdup(text.toUtf8().constData());
}

char *toString(const RtfCharFormat &format)
{
    return qstrdup(describe(format).toUtf8().constData());
}

namespace {

struct Fmt
{
    RtfCharFormat format;
    Fmt &face(const QString &face)
    {
        format.face = face;
        return *this;
    }
    Fmt &size(int halfPoints)
    {
        format.halfPoints = halfPoints;
        return *this;
    }
    Fmt &bold()
    {
        format.bold = true;
        return *this;
    }
    Fmt &italic()
    {
        format.italic = true;
        return *this;
    }
    Fmt &underline()
    {
        format.underline = true;
        return *this;
    }
    Fmt &colour(quint32 rgb)
    {
        format.colour = rgb;
        return *this;
    }
    operator RtfCharFormat() const { return format; }
};

RtfDocument doc(std::initializer_list<RtfRun> runs)
{
    RtfDocument document;
    document.runs = runs;
    return document;
}

QByteArray sample(const QString &name)
{
    QFile file(QStringLiteral(REWORDIX_TEST_DATA "/rtf/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test sample %s", qPrintable(name));
    return file.readAll();
}

// The format of every character of the first occurrence of needle, or nullopt when they differ.
std::optional<RtfCharFormat> formatOf(const RtfDocument &document, const QString &needle)
{
    const qsizetype start = Rtf::plainText(document).indexOf(needle);
    if (start < 0 || needle.isEmpty())
        return std::nullopt;
    std::optional<RtfCharFormat> found;
    qsizetype position = 0;
    for (const RtfRun &run : document.runs) {
        const qsizetype end = position + run.text.size();
        if (end > start && position < start + needle.size()) {
            if (found && *found != run.format)
                return std::nullopt;
            found = run.format;
        }
        position = end;
    }
    return found;
}

bool isSevenBit(const QByteArray &bytes)
{
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

class TestRtf : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void writeForm_data();
    void writeForm();
    void writeDropsWhatRtfCannotHold();
    void colourConversions();
    void readSamples_data();
    void readSamples();
    void sampleFormats_data();
    void sampleFormats();
    void readSnippets_data();
    void readSnippets();
    void snippetFormats_data();
    void snippetFormats();
    void notRtf_data();
    void notRtf();
    void damagedInput_data();
    void damagedInput();
    void everyPrefixOfASample();
    void randomBytes();
    void textDocumentRoundTrip_data();
    void textDocumentRoundTrip();
    void textDocumentFormats();
    void textDocumentRange();
    void textDocumentFromHtml();
    void charFormatDefaults();
};

void TestRtf::roundTrip_data()
{
    QTest::addColumn<RtfDocument>("document");

    const RtfCharFormat plain;
    QTest::newRow("empty") << RtfDocument();
    QTest::newRow("ascii") << doc({{u"Hello, world."_s, plain}});
    QTest::newRow("paragraphs") << doc({{u"One\nTwo\n\nFour"_s, plain}});
    QTest::newRow("trailing empty paragraph") << doc({{u"Text\n"_s, plain}});
    QTest::newRow("only breaks") << doc({{u"\n\n"_s, plain}});
    QTest::newRow("latin") << doc({{u"café, naïve, Zürich, €5 – “quoted”"_s, plain}});
    QTest::newRow("greek") << doc({{u"Ωmega αβγ"_s, plain}});
    QTest::newRow("cjk") << doc({{u"日本語のテキスト 中文 한국어"_s, plain}});
    QTest::newRow("emoji") << doc({{u"smile 😀 and 🎉!"_s, plain}});
    QTest::newRow("16-bit edges") << doc({{u"\u7fff\u8000\uffff\u0080\u00ff"_s, plain}});
    QTest::newRow("braces and backslashes") << doc({{u"{a} \\b\\ }{ \\par {\\rtf1"_s, plain}});
    QTest::newRow("specials") << doc(
        {{u"tab\there, line\u2028break, nb\u00a0sp, soft\u00adhyphen, nb\u2011hyphen"_s, plain}});
    QTest::newRow("digits after controls")
        << doc({{u"x"_s, Fmt().size(28)}, {u"123 -4"_s, Fmt().bold()}, {u" lead"_s, plain}});
    QTest::newRow("bold") << doc({{u"a "_s, plain}, {u"bold"_s, Fmt().bold()}, {u" b"_s, plain}});
    QTest::newRow("italic") << doc({{u"italic"_s, Fmt().italic()}, {u" after"_s, plain}});
    QTest::newRow("underline") << doc({{u"under"_s, Fmt().underline()}, {u"."_s, plain}});
    QTest::newRow("all flags") << doc({{u"all"_s, Fmt().bold().italic().underline()},
                                       {u"none"_s, plain},
                                       {u"bi"_s, Fmt().bold().italic()}});
    QTest::newRow("colours") << doc({{u"red"_s, Fmt().colour(0xff0000)},
                                     {u"auto"_s, plain},
                                     {u"black"_s, Fmt().colour(0x000000)},
                                     {u"red again"_s, Fmt().colour(0xff0000)},
                                     {u"teal"_s, Fmt().colour(0x008080)}});
    QTest::newRow("faces and sizes")
        << doc({{u"Calibri 11"_s, Fmt().face(u"Calibri"_s).size(22)},
                {u"Courier 10.5\n"_s, Fmt().face(u"Courier New"_s).size(21)},
                {u"tiny"_s, Fmt().face(u"Calibri"_s).size(1)},
                {u"huge"_s, Fmt().face(u"Arial"_s).size(3276)}});
    QTest::newRow("non-ASCII face")
        << doc({{u"名前"_s, Fmt().face(u"ＭＳ 明朝"_s)}, {u"x"_s, Fmt().face(u"Brace{}\\"_s)}});
    QTest::newRow("formatted paragraph breaks")
        << doc({{u"a\n"_s, Fmt().bold()}, {u"\n"_s, Fmt().italic()}, {u"b"_s, plain}});
    QTest::newRow("everything") << doc(
        {{u"Title\n"_s, Fmt().face(u"Cambria"_s).size(32).bold()},
         {u"Körper "_s, Fmt().face(u"Calibri"_s).size(22)},
         {u"{rot}"_s, Fmt().face(u"Calibri"_s).size(22).colour(0xc00000).underline()},
         {u" Ω😀\t\\"_s, Fmt().face(u"Calibri"_s).size(22)}});
}

void TestRtf::roundTrip()
{
    QFETCH(RtfDocument, document);
    const QByteArray rtf = Rtf::write(document);
    QVERIFY(isSevenBit(rtf));
    const RtfReadResult result = Rtf::read(rtf);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QVERIFY2(result.warning.isEmpty(), qPrintable(result.warning));
    QCOMPARE(result.document, Rtf::normalized(document));
    QCOMPARE(Rtf::write(result.document), rtf);
}

void TestRtf::writeForm_data()
{
    QTest::addColumn<RtfDocument>("document");
    QTest::addColumn<QByteArrayList>("expected");

    const RtfCharFormat plain;
    QTest::newRow("header") << doc({{u"x"_s, Fmt().face(u"Calibri"_s)}})
                            << QByteArrayList{"{\\rtf1\\ansi\\ansicpg1252\\deff0",
                                              "{\\fonttbl{\\f0\\fnil\\fcharset0 Calibri;}}",
                                              "\\pard\\plain x\\par\r\n}"};
    QTest::newRow("unicode with fallbacks")
        << doc({{u"café Ω € 😀"_s, plain}})
        << QByteArrayList{"caf\\u233\\'e9 \\u937? \\u8364\\'80 \\u-10179?\\u-8704?"};
    QTest::newRow("escapes") << doc({{u"{a}\\b"_s, plain}}) << QByteArrayList{"\\{a\\}\\\\b"};
    QTest::newRow("paragraphs") << doc({{u"a\nb"_s, plain}})
                                << QByteArrayList{"a\\par\r\nb\\par\r\n}"};
    QTest::newRow("formats") << doc({{u"b"_s, Fmt().bold()},
                                     {u"i"_s, Fmt().italic()},
                                     {u"u"_s, Fmt().underline().size(28)},
                                     {u"c"_s, Fmt().colour(0x0000ff)},
                                     {u"p"_s, plain}})
                             << QByteArrayList{"{\\colortbl ;\\red0\\green0\\blue255;}",
                                               "\\b b\\b0\\i i\\fs28\\i0\\ul u",
                                               "\\fs24\\ulnone\\cf1 c\\cf0 p"};
    QTest::newRow("specials") << doc({{u"\t\u2028\u00a0\u00ad\u2011"_s, plain}})
                              << QByteArrayList{"\\tab\\line\\~\\-\\_"};
}

void TestRtf::writeForm()
{
    QFETCH(RtfDocument, document);
    QFETCH(QByteArrayList, expected);
    const QByteArray rtf = Rtf::write(document);
    for (const QByteArray &part : expected)
        QVERIFY2(rtf.contains(part), QByteArray(part + " not in " + rtf).constData());
}

void TestRtf::writeDropsWhatRtfCannotHold()
{
    const RtfDocument written =
        doc({{u"a\u0001b\rc\u001fd"_s, Fmt().face(u" Semi;colon "_s).size(0)}});
    const RtfReadResult result = Rtf::read(Rtf::write(written));
    QVERIFY(result.ok());
    QCOMPARE(result.document, doc({{u"abcd"_s, Fmt().face(u"Semicolon"_s).size(24)}}));
}

void TestRtf::colourConversions()
{
    QCOMPARE(Rtf::rgbFromColorRef(0x00336699u), 0x00996633u);
    QCOMPARE(Rtf::colorRefFromRgb(0x00996633u), 0x00336699u);
    QCOMPARE(Rtf::rgbFromColorRef(0x000000ffu), 0x00ff0000u); // COLORREF red
    QCOMPARE(Rtf::colorRefFromRgb(Rtf::rgbFromColorRef(0x00123456u)), 0x00123456u);
}

void TestRtf::readSamples_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");

    QTest::newRow("wordpad") << u"wordpad-basic.rtf"_s
                             << u"Hello WordPad.\nThis has bold, italic, underlined and red "
                                u"words.\nBlue fourteen, Courier, café and Ωmega.\n\nTab"
                                u"\tafter\u2028next line {braces} back\\slash."_s;
    QTest::newRow("wordpad 1251") << u"wordpad-cp1251.rtf"_s << u"Привет, мир!\nCafé αβγ ё"_s;
    QTest::newRow("wordpad 932") << u"wordpad-cp932.rtf"_s << u"こんにちは Hello 表示"_s;
    QTest::newRow("word") << u"word-destinations.rtf"_s
                          << u"Body starts here a link and a picture.\nBulleted item"_s;
    QTest::newRow("libreoffice formats")
        << u"libreoffice-formats.rtf"_s
        << u"Plain first paragraph.\nSome bold, italic and underlined words.\nRed text and blue "
           u"text.\nMono fourteen then normal.\nCafé Ωmega 日本語 😀 €\nBraces {x} and back\\slash."_s;
    QTest::newRow("libreoffice structures")
        << u"libreoffice-structures.rtf"_s
        << u"Heading One\nРусский текст и ελληνικά.\nFirst item\nSecond item\nA link "
           u"text here.\u2028After a line break.\nCell A\tCell B\t\nLast paragraph."_s;
    QTest::newRow("libreoffice sizes")
        << u"libreoffice-sizes.rtf"_s
        << u"Default eleven points.\nTiny eight and big green all.\nMono ten and a half\tafter a "
           u"tab.\n\nDouble underlined word; “quotes” – dash — long dash…\nTschüß, Ærø, Zürich."_s;
}

void TestRtf::readSamples()
{
    QFETCH(QString, file);
    QFETCH(QString, text);
    const RtfReadResult result = Rtf::read(sample(file));
    QVERIFY2(result.ok(), qPrintable(result.error));
    QVERIFY2(result.warning.isEmpty(), qPrintable(result.warning));
    QCOMPARE(Rtf::plainText(result.document).replace(u'\n', u"\\n"_s),
             QString(text).replace(QChar::LineSeparator, u'\n').replace(u'\n', u"\\n"_s));
    QCOMPARE(Rtf::read(Rtf::write(result.document)).document, result.document);
}

void TestRtf::sampleFormats_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<RtfCharFormat>("format");

    const Fmt calibri = Fmt().face(u"Calibri"_s).size(22);
    QTest::newRow("wordpad plain")
        << u"wordpad-basic.rtf"_s << u"Hello WordPad."_s << RtfCharFormat(calibri);
    QTest::newRow("wordpad bold") << u"wordpad-basic.rtf"_s << u"bold"_s
                                  << RtfCharFormat(Fmt(calibri).bold());
    QTest::newRow("wordpad italic")
        << u"wordpad-basic.rtf"_s << u"italic"_s << RtfCharFormat(Fmt(calibri).italic());
    QTest::newRow("wordpad underline")
        << u"wordpad-basic.rtf"_s << u"underlined"_s << RtfCharFormat(Fmt(calibri).underline());
    QTest::newRow("wordpad red") << u"wordpad-basic.rtf"_s << u"red"_s
                                 << RtfCharFormat(Fmt(calibri).colour(0xff0000));
    QTest::newRow("wordpad blue 14") << u"wordpad-basic.rtf"_s << u"Blue fourteen"_s
                                     << RtfCharFormat(Fmt(calibri).size(28).colour(0x004dbb));
    QTest::newRow("wordpad courier") << u"wordpad-basic.rtf"_s << u"Courier"_s
                                     << RtfCharFormat(Fmt(calibri).face(u"Courier New"_s));
    QTest::newRow("wordpad 932 font name") << u"wordpad-cp932.rtf"_s << u"こんにちは"_s
                                           << RtfCharFormat(Fmt().face(u"ＭＳ 明朝"_s).size(22));
    QTest::newRow("word bold red") << u"word-destinations.rtf"_s << u"starts"_s
                                   << RtfCharFormat(Fmt(calibri).bold().colour(0xc00000));
    QTest::newRow("word link") << u"word-destinations.rtf"_s << u"a link"_s
                               << RtfCharFormat(Fmt(calibri).underline().colour(0x0000ff));

    const Fmt serif = Fmt().face(u"Liberation Serif"_s).colour(0);
    QTest::newRow("lo plain") << u"libreoffice-formats.rtf"_s << u"Plain first"_s
                              << RtfCharFormat(serif);
    QTest::newRow("lo bold") << u"libreoffice-formats.rtf"_s << u"bold"_s
                             << RtfCharFormat(Fmt(serif).bold());
    QTest::newRow("lo italic") << u"libreoffice-formats.rtf"_s << u"italic"_s
                               << RtfCharFormat(Fmt(serif).italic());
    QTest::newRow("lo underline") << u"libreoffice-formats.rtf"_s << u"underlined"_s
                                  << RtfCharFormat(Fmt(serif).underline());
    QTest::newRow("lo red") << u"libreoffice-formats.rtf"_s << u"Red text"_s
                            << RtfCharFormat(Fmt(serif).colour(0xff0000));
    QTest::newRow("lo blue") << u"libreoffice-formats.rtf"_s << u"blue text"_s
                             << RtfCharFormat(Fmt(serif).colour(0x0000ff));
    QTest::newRow("lo mono 14") << u"libreoffice-formats.rtf"_s << u"Mono fourteen"_s
                                << RtfCharFormat(Fmt(serif).face(u"Liberation Mono"_s).size(28));
    QTest::newRow("lo emoji") << u"libreoffice-formats.rtf"_s << u"😀"_s << RtfCharFormat(serif);

    const Fmt sans = Fmt().face(u"Liberation Sans"_s).size(22); // \cf0: automatic
    QTest::newRow("lo 11") << u"libreoffice-sizes.rtf"_s << u"Default eleven"_s
                           << RtfCharFormat(sans);
    QTest::newRow("lo 8") << u"libreoffice-sizes.rtf"_s << u"Tiny eight"_s
                          << RtfCharFormat(Fmt(sans).size(16));
    QTest::newRow("lo 20 all")
        << u"libreoffice-sizes.rtf"_s << u"big green all"_s
        << RtfCharFormat(Fmt(sans).size(40).bold().italic().underline().colour(0x008000));
    QTest::newRow("lo 10.5") << u"libreoffice-sizes.rtf"_s << u"Mono ten and a half"_s
                             << RtfCharFormat(Fmt(sans).face(u"DejaVu Sans Mono"_s).size(21));
    QTest::newRow("lo double underline")
        << u"libreoffice-sizes.rtf"_s << u"underlined"_s << RtfCharFormat(Fmt(sans).underline());
}

void TestRtf::sampleFormats()
{
    QFETCH(QString, file);
    QFETCH(QString, needle);
    QFETCH(RtfCharFormat, format);
    const RtfReadResult result = Rtf::read(sample(file));
    QVERIFY(result.ok());
    const std::optional<RtfCharFormat> found = formatOf(result.document, needle);
    QVERIFY2(found, "text missing or of mixed formats");
    QCOMPARE(*found, format);
}

void TestRtf::readSnippets_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    auto row = [](const char *name, const char *rtf, const QString &text) {
        QTest::newRow(name) << QByteArray(rtf) << text;
    };
    row("minimal", "{\\rtf1 Hello}", u"Hello"_s);
    row("leading blanks", "\r\n {\\rtf1 x}", u"x"_s);
    row("delimiter space", "{\\rtf1\\b  two}", u" two"_s);
    row("raw line ends ignored", "{\\rtf1 a\r\nb\rc\nd}", u"abcd"_s);
    row("raw tab", "{\\rtf1 a\tb}", u"a\tb"_s);
    row("backslash newline is par", "{\\rtf1 a\\\nb}", u"a\nb"_s);
    row("final par dropped", "{\\rtf1 a\\par}", u"a"_s);
    row("two final pars", "{\\rtf1 a\\par\\par}", u"a\n"_s);
    row("sect page row", "{\\rtf1 a\\sect b\\page c\\cell d\\row}", u"a\nb\nc\td"_s);
    row("control symbols", "{\\rtf1 a\\~b\\-c\\_d\\{\\}\\\\}", u"a\u00a0b\u00adc\u2011d{}\\"_s);
    row("named characters",
        "{\\rtf1 \\emdash\\endash\\bullet\\lquote\\rquote\\ldblquote\\rdblquote\\emspace}",
        u"—–•‘’“”\u2003"_s);
    row("line and tab", "{\\rtf1 a\\line b\\tab c}", u"a\u2028b\tc"_s);
    row("unicode default fallback", "{\\rtf1 \\u937?mega}", u"Ωmega"_s);
    row("unicode hex fallback", "{\\rtf1 caf\\u233\\'e9!}", u"café!"_s);
    row("uc2", "{\\rtf1\\uc2 \\u26085\\'93\\'fa!}", u"日!"_s);
    row("uc0", "{\\rtf1\\uc0 \\u937 x}", u"Ωx"_s);
    row("uc in group only", "{\\rtf1{\\uc2 \\u937 ab}\\u937 ab}", u"ΩΩb"_s);
    row("fallback ends at group", "{\\rtf1\\uc3 \\u937 a{b}c}", u"Ωbc"_s);
    row("fallback control word", "{\\rtf1 \\u8212\\emdash x}", u"—x"_s);
    row("negative unicode", "{\\rtf1 \\u-3913?\\u-10179?\\u-8704?}", u"\uf0b7😀"_s);
    row("unicode out of range", "{\\rtf1 a\\u70000?b\\u-40000?c}", u"abc"_s);
    row("hex default 1252", "{\\rtf1 \\'80\\'93\\'e9\\'9f}", u"€“éŸ"_s);
    row("raw 8-bit bytes", "{\\rtf1\\ansi\\ansicpg1251 \xcf\xf0\xe8}", u"При"_s);
    row("bad hex ignored", "{\\rtf1 a\\'zzb\\'4}", u"azzb4"_s);
    row("1250", "{\\rtf1\\ansicpg1250 \\'9a\\'e8\\'f8}", u"ščř"_s);
    row("1251", "{\\rtf1\\ansicpg1251 \\'c0\\'e1\\'e2}", u"Абв"_s);
    row("1253", "{\\rtf1\\ansicpg1253 \\'c1\\'e2\\'e3}", u"Αβγ"_s);
    row("1254", "{\\rtf1\\ansicpg1254 \\'fd\\'f0\\'fe}", u"ığş"_s);
    row("1255", "{\\rtf1\\ansicpg1255 \\'f9\\'ec\\'e5\\'ed}", u"שלום"_s);
    row("1256", "{\\rtf1\\ansicpg1256 \\'c7\\'e1}", u"ال"_s);
    row("1257", "{\\rtf1\\ansicpg1257 \\'e0\\'e8}", u"ąč"_s);
    row("1258", "{\\rtf1\\ansicpg1258 \\'e0\\'e2}", u"àâ"_s);
    row("874", "{\\rtf1\\ansicpg874 \\'a1\\'a2}", u"กข"_s);
    row("932", "{\\rtf1\\ansicpg932 \\'93\\'fa\\'96\\'7b}", u"日本"_s);
    row("936", "{\\rtf1\\ansicpg936 \\'c4\\'e3\\'ba\\'c3}", u"你好"_s);
    row("949", "{\\rtf1\\ansicpg949 \\'c7\\'d1\\'b1\\'db}", u"한글"_s);
    row("950", "{\\rtf1\\ansicpg950 \\'a4\\'a4\\'a4\\'e5}", u"中文"_s);
    row("65001 is UTF-8", "{\\rtf1\\ansicpg65001 \\'c3\\'a9t\xc3\xa9}", u"été"_s);
    row("unknown code page is 1252", "{\\rtf1\\ansicpg9999 \\'e9}", u"é"_s);
    row("fcharset beats ansicpg",
        "{\\rtf1\\ansicpg1252{\\fonttbl{\\f0 A;}{\\f1\\fcharset204 B;}{\\f2\\fcharset161 C;}"
        "{\\f3\\fcharset238 D;}{\\f4\\fcharset162 E;}{\\f5\\fcharset177 F;}{\\f6\\fcharset178 G;}"
        "{\\f7\\fcharset186 H;}{\\f8\\fcharset222 I;}{\\f9\\fcharset128 J;}{\\f10\\fcharset134 K;}"
        "{\\f11\\fcharset136 L;}{\\f12\\fcharset2 Symbol;}}"
        "\\f0\\'e9\\f1\\'e9\\f2\\'e9\\f3\\'e9\\f4\\'fd\\f5\\'e9\\f6\\'c7\\f7\\'e0\\f8\\'a1"
        "\\f9\\'93\\'fa\\f10\\'c4\\'e3\\f11\\'a4\\'a4\\f12\\'e9}",
        u"éйιéıיاąก日你中é"_s);
    row("cpg in font table", "{\\rtf1{\\fonttbl{\\f0\\cpg1251 A;}}\\'e9}", u"й"_s);
    row("font table without groups", "{\\rtf1{\\fonttbl\\f0\\fcharset204 A;\\f1 B;}\\'e9\\f1\\'e9}",
        u"йé"_s);
    row("dbcs trail byte escaped", "{\\rtf1\\ansicpg932 \\'95\\\\\\'8e\\'a6}", u"表示"_s);
    row("star destination", "{\\rtf1 a{\\*\\unknown b{c}}d}", u"ad"_s);
    row("known destinations",
        "{\\rtf1 a{\\info{\\title t}}{\\stylesheet{s;}}{\\pict 0a0b}{\\object{\\objdata 00}}"
        "{\\header h}{\\footerr f}{\\footnote n}{\\listtable x}{\\generator g;}b}",
        u"ab"_s);
    row("field keeps result", "{\\rtf1 {\\field{\\*\\fldinst PAGE }{\\fldrslt 7}}}", u"7"_s);
    row("unknown control words", "{\\rtf1\\foo\\bar12 a\\baz-3 b}", u"ab"_s);
    row("hyphen not a parameter", "{\\rtf1\\tab-x}", u"\t-x"_s);
    row("bin skipped", "{\\rtf1 a\\bin4 {}\\}b}", u"ab"_s);
    row("bin beyond end", "{\\rtf1 a\\bin999 xyz", u"a"_s);
    row("negative bin", "{\\rtf1 a\\bin-5 b}", u"ab"_s);
    row("hidden text", "{\\rtf1 a\\v hidden\\v0 b{\\v c}d}", u"abd"_s);
    row("plain ends hidden", "{\\rtf1 \\v x\\plain y}", u"y"_s);
    row("text after end ignored", "{\\rtf1 a}b{c}", u"a"_s);
    row("pntext and listtext skipped", "{\\rtf1 {\\pntext\\'b7\\tab}{\\listtext 1.\\tab}item}",
        u"item"_s);
    QTest::newRow("nul bytes dropped") << QByteArray("{\\rtf1 a\0b}", 11) << u"ab"_s;
}

void TestRtf::readSnippets()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    const RtfReadResult result = Rtf::read(rtf);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(Rtf::plainText(result.document), QString(text).replace(QChar::LineSeparator, u'\n'));
}

void TestRtf::snippetFormats_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("needle");
    QTest::addColumn<RtfCharFormat>("format");

    const QByteArray head = "{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\froman Times New Roman;}}"
                            "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}";
    const Fmt arial = Fmt().face(u"Arial"_s);
    auto row = [&](const char *name, const char *body, const QString &needle,
                   const RtfCharFormat &format) {
        QTest::newRow(name) << head + body + "}" << needle << format;
    };
    row("defaults", "x", u"x"_s, arial);
    row("deff given late", "\\deff1 x", u"x"_s, Fmt().face(u"Times New Roman"_s));
    row("no text", "\\b\\i", u""_s, arial);
    row("bold off by b0", "\\b a\\b0 x", u"x"_s, arial);
    row("italic off by i0", "\\i a\\i0 x", u"x"_s, arial);
    row("ul0 ends underline", "\\ul a\\ul0 x", u"x"_s, arial);
    row("ulnone ends underline", "\\uldb a\\ulnone x", u"x"_s, arial);
    row("uldb underlines", "\\uldb x", u"x"_s, Fmt(arial).underline());
    row("ulwave underlines", "\\ulwave x", u"x"_s, Fmt(arial).underline());
    row("ulc is no underline", "\\ulc1 x", u"x"_s, arial);
    row("group restores", "{\\b\\i\\ul\\cf1\\f1\\fs40 a}x", u"x"_s, arial);
    row("group sets", "{\\b\\i\\ul\\cf2\\f1\\fs40 x}", u"x"_s,
        Fmt().face(u"Times New Roman"_s).size(40).bold().italic().underline().colour(0x0000ff));
    row("plain resets", "\\b\\i\\ul\\cf1\\f1\\fs40\\plain x", u"x"_s, arial);
    row("cf0 is auto", "\\cf1 a\\cf0 x", u"x"_s, arial);
    row("colour out of range is auto", "\\cf9 x", u"x"_s, arial);
    row("unknown font has no face", "\\f7 x", u"x"_s, Fmt());
    row("fs without parameter", "\\fs x", u"x"_s, arial);
    row("fs huge", "\\fs99999999999999999999 x", u"x"_s, Fmt(arial).size(3276));
    row("par keeps format", "\\b a\\par x", u"x"_s, Fmt(arial).bold());
    row("pard keeps format", "\\b a\\par\\pard x", u"x"_s, Fmt(arial).bold());
}

void TestRtf::snippetFormats()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, needle);
    QFETCH(RtfCharFormat, format);
    const RtfReadResult result = Rtf::read(rtf);
    QVERIFY(result.ok());
    if (needle.isEmpty()) {
        QVERIFY(result.document.runs.isEmpty());
        return;
    }
    const std::optional<RtfCharFormat> found = formatOf(result.document, needle);
    QVERIFY(found);
    QCOMPARE(*found, format);
}

void TestRtf::notRtf_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("Hello, world");
    QTest::newRow("brace only") << QByteArray("{");
    QTest::newRow("other group") << QByteArray("{\\urtf1 x}");
    QTest::newRow("deep braces") << QByteArray(100000, '{');
    QTest::newRow("utf16 rtf") << QByteArray("{\0\\\0r\0t\0f\0", 10);
}

void TestRtf::notRtf()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!Rtf::isRtf(bytes));
    const RtfReadResult result = Rtf::read(bytes);
    QVERIFY(!result.ok());
    QVERIFY(!result.error.isEmpty());
    QVERIFY(result.document.runs.isEmpty());
}

void TestRtf::damagedInput_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("warned");

    const QByteArray wordpad = sample(u"wordpad-basic.rtf"_s);
    QTest::newRow("header alone") << QByteArray("{\\rtf1") << QString() << true;
    QTest::newRow("truncated") << wordpad.left(wordpad.indexOf("Blue")) << QString() << true;
    QTest::newRow("extra closing braces") << QByteArray("{\\rtf1 a}}}}") << u"a"_s << false;
    QTest::newRow("unclosed groups") << QByteArray("{\\rtf1 {{{a") << u"a"_s << true;
    QTest::newRow("ends in backslash") << QByteArray("{\\rtf1 a\\") << u"a"_s << true;
    QTest::newRow("ends in hex") << QByteArray("{\\rtf1 a\\'e") << u"ae"_s << true;
    QTest::newRow("ends in unicode") << QByteArray("{\\rtf1 a\\u") << u"a"_s << true;
    QTest::newRow("ends in star") << QByteArray("{\\rtf1 a{\\*") << u"a"_s << true;
    QTest::newRow("long control word")
        << QByteArray("{\\rtf1 a\\" + QByteArray(100000, 'x') + " b}") << u"ab"_s << false;
    QTest::newRow("long parameter")
        << QByteArray("{\\rtf1 a\\fs" + QByteArray(100000, '9') + " b}") << u"ab"_s << false;
    QTest::newRow("raw unescaped braces")
        << QByteArray("{\\rtf1 a {b|c} d}") << u"a b|c d"_s << false;
    QTest::newRow("stray open brace") << QByteArray("{\\rtf1 a { b}") << u"a  b"_s << true;

    const int depth = 100000;
    QTest::newRow("100000 levels closed")
        << QByteArray("{\\rtf1 " + QByteArray(depth, '{') + "x" + QByteArray(depth, '}') + "y}")
        << u"xy"_s << true;
    QTest::newRow("100000 levels open")
        << QByteArray("{\\rtf1 " + QByteArray(depth, '{') + "x") << u"x"_s << true;
    QTest::newRow("many sibling groups")
        << QByteArray("{\\rtf1 " + QByteArray("{\\b x}").repeated(depth) + "}")
        << QString(depth, u'x') << false;
    QTest::newRow("many skipped groups")
        << QByteArray("{\\rtf1 " + QByteArray("{\\*\\x {y}}").repeated(depth) + "z}") << u"z"_s
        << false;
}

void TestRtf::damagedInput()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(bool, warned);
    QElapsedTimer timer;
    timer.start();
    const RtfReadResult result = Rtf::read(rtf);
    QVERIFY2(timer.elapsed() < 5000, "reading took too long");
    QVERIFY(result.ok());
    QCOMPARE(!result.warning.isEmpty(), warned);
    if (!text.isNull())
        QCOMPARE(Rtf::plainText(result.document), text);
}

void TestRtf::everyPrefixOfASample()
{
    const QStringList files = {u"wordpad-basic.rtf"_s, u"wordpad-cp932.rtf"_s,
                               u"word-destinations.rtf"_s};
    for (const QString &file : files) {
        const QByteArray rtf = sample(file);
        const QString full = Rtf::plainText(Rtf::read(rtf).document);
        for (qsizetype length = 0; length <= rtf.size(); ++length) {
            const RtfReadResult result = Rtf::read(QByteArrayView(rtf).first(length));
            QCOMPARE(result.ok(), Rtf::isRtf(QByteArrayView(rtf).first(length)));
            // Nothing read from a prefix is longer than the whole, give or take the
            // final paragraph mark and a half-read multi-byte character.
            QVERIFY(Rtf::plainText(result.document).size() <= full.size() + 1);
        }
    }
}

void TestRtf::randomBytes()
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes(1 + random.bounded(4096), Qt::Uninitialized);
        for (char &byte : bytes)
            byte = char(random.bounded(256));
        // Half the rounds look like RTF so that the parser sees the garbage.
        if (round % 2)
            bytes.prepend("{\\rtf1 ");
        // Mostly syntax characters, to reach deep nesting and odd control words.
        if (round % 4 == 3) {
            static const char alphabet[] = "{}\\'*0123456789-abcfsu ;";
            for (qsizetype i = 7; i < bytes.size(); ++i)
                bytes[i] = alphabet[random.bounded(int(sizeof alphabet - 1))];
        }
        const RtfReadResult result = Rtf::read(bytes);
        QCOMPARE(result.ok(), bool(round % 2));
        if (result.ok()) {
            const QByteArray again = Rtf::write(result.document);
            QVERIFY(isSevenBit(again));
            QCOMPARE(Rtf::read(again).document, result.document);
        }
    }
}

void TestRtf::textDocumentRoundTrip_data()
{
    roundTrip_data();
}

void TestRtf::textDocumentRoundTrip()
{
    QFETCH(RtfDocument, document);
    QTextDocument textDocument;
    textDocument.setDefaultFont(QFont(u"DejaVu Sans"_s, 12));
    Rtf::toTextDocument(document, &textDocument);

    RtfDocument expected = Rtf::normalized(document);
    for (RtfRun &run : expected.runs) {
        if (run.format.face.isEmpty())
            run.format.face = u"DejaVu Sans"_s;
    }
    expected = Rtf::normalized(expected);
    QCOMPARE(textDocument.toPlainText(), Rtf::plainText(document).replace(QChar::Nbsp, u' '));
    QCOMPARE(Rtf::fromTextDocument(textDocument), expected);
}

void TestRtf::textDocumentFormats()
{
    const RtfDocument document = doc({{u"plain "_s, Fmt().face(u"DejaVu Serif"_s).size(22)},
                                      {u"styled"_s, Fmt()
                                                        .face(u"DejaVu Sans Mono"_s)
                                                        .size(29)
                                                        .bold()
                                                        .italic()
                                                        .underline()
                                                        .colour(0x123456)}});
    QTextDocument textDocument;
    Rtf::toTextDocument(document, &textDocument);
    QTextCursor cursor(&textDocument);
    cursor.setPosition(7); // the format of the character before the cursor
    const QTextCharFormat styled = cursor.charFormat();
    QCOMPARE(styled.property(QTextFormat::FontFamilies).toStringList(),
             QStringList{u"DejaVu Sans Mono"_s});
    QCOMPARE(styled.fontPointSize(), 14.5);
    QCOMPARE(styled.fontWeight(), int(QFont::Bold));
    QVERIFY(styled.fontItalic());
    QVERIFY(styled.fontUnderline());
    QCOMPARE(styled.foreground().color(), QColor(0x12, 0x34, 0x56));
    cursor.setPosition(1);
    const QTextCharFormat plain = cursor.charFormat();
    QCOMPARE(plain.fontPointSize(), 11.0);
    QCOMPARE(plain.fontWeight(), int(QFont::Normal));
    QVERIFY(!plain.fontItalic());
    QVERIFY(!plain.fontUnderline());
    QVERIFY(!plain.hasProperty(QTextFormat::ForegroundBrush));

    // Replacing the content leaves nothing of the old one.
    Rtf::toTextDocument(doc({{u"new"_s, Fmt()}}), &textDocument);
    QCOMPARE(textDocument.toPlainText(), u"new"_s);
}

void TestRtf::textDocumentRange()
{
    const RtfDocument document = doc({{u"First line\nSec"_s, Fmt().face(u"A"_s)},
                                      {u"ond\n\nLast"_s, Fmt().face(u"B"_s).bold()}});
    QTextDocument textDocument;
    Rtf::toTextDocument(document, &textDocument);
    const QString text = textDocument.toPlainText();
    QCOMPARE(text, Rtf::plainText(document));
    for (int from = 0; from <= text.size(); ++from) {
        for (int to = from; to <= text.size(); ++to) {
            const RtfDocument part = Rtf::fromTextDocument(textDocument, from, to);
            QCOMPARE(Rtf::plainText(part), text.mid(from, to - from));
        }
    }
    const RtfDocument tail = Rtf::fromTextDocument(textDocument, 12, -1);
    QCOMPARE(tail,
             doc({{u"ec"_s, Fmt().face(u"A"_s)}, {u"ond\n\nLast"_s, Fmt().face(u"B"_s).bold()}}));
    QVERIFY(Rtf::fromTextDocument(textDocument, 5, 2).runs.isEmpty());
    QCOMPARE(Rtf::plainText(Rtf::fromTextDocument(textDocument, -10, 1000)), text);
}

void TestRtf::textDocumentFromHtml()
{
    QTextDocument source;
    source.setDefaultFont(QFont(u"DejaVu Sans"_s, 10));
    source.setHtml(u"<p>Normal <b>bold</b> <i>italic</i> <u>under</u> "
                   "<span style=\"color:#00ff00; font-size:18pt; font-family:'DejaVu Serif'\">"
                   "green</span></p><p>Second ☺</p>"_s);
    const QByteArray rtf = Rtf::write(Rtf::fromTextDocument(source));
    const RtfReadResult result = Rtf::read(rtf);
    QVERIFY(result.ok());
    QTextDocument target;
    Rtf::toTextDocument(result.document, &target);
    QCOMPARE(target.toPlainText(), source.toPlainText());

    const auto check = [&](const QString &word, auto property) {
        const int position = int(source.toPlainText().indexOf(word)) + 1;
        QTextCursor a(&source);
        a.setPosition(position);
        QTextCursor b(&target);
        b.setPosition(position);
        return property(a.charFormat()) == property(b.charFormat());
    };
    const auto bold = [](const QTextCharFormat &f) {
        return f.fontWeight() >= QFont::DemiBold;
    };
    const auto italic = [](const QTextCharFormat &f) {
        return f.fontItalic();
    };
    const auto underline = [](const QTextCharFormat &f) {
        return f.fontUnderline();
    };
    const auto colour = [](const QTextCharFormat &f) {
        return f.foreground().color().rgb();
    };
    const auto size = [](const QTextCharFormat &f) {
        return f.fontPointSize();
    };
    QVERIFY(check(u"bold"_s, bold));
    QVERIFY(check(u"Normal"_s, bold));
    QVERIFY(check(u"italic"_s, italic));
    QVERIFY(check(u"under"_s, underline));
    QVERIFY(check(u"green"_s, colour));
    QVERIFY(check(u"green"_s, size));
    const RtfCharFormat green = *formatOf(result.document, u"green"_s);
    QCOMPARE(green.face, u"DejaVu Serif"_s);
    QCOMPARE(green.halfPoints, 36);
    QCOMPARE(green.colour, std::optional<quint32>(0x00ff00));
    QCOMPARE(formatOf(result.document, u"Normal"_s)->halfPoints, 20);
}

void TestRtf::charFormatDefaults()
{
    QFont defaultFont(u"DejaVu Sans"_s);
    defaultFont.setPointSizeF(9.5);
    const RtfCharFormat unset = Rtf::fromCharFormat(QTextCharFormat(), defaultFont);
    QCOMPARE(unset, RtfCharFormat(Fmt().face(u"DejaVu Sans"_s).size(19)));
    defaultFont.setBold(true);
    QVERIFY(Rtf::fromCharFormat(QTextCharFormat(), defaultFont).bold);

    QTextCharFormat set;
    set.setFontWeight(QFont::Normal);
    set.setForeground(QColor(1, 2, 3));
    QCOMPARE(Rtf::fromCharFormat(set, defaultFont),
             RtfCharFormat(Fmt().face(u"DejaVu Sans"_s).size(19).colour(0x010203)));
    QCOMPARE(Rtf::toCharFormat(RtfCharFormat()).hasProperty(QTextFormat::FontFamilies), false);
}

QTEST_MAIN(TestRtf)
#include "tst_rtf.moc"
