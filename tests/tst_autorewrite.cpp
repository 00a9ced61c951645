#include "app/textfile.h"
#include "engine/autorewrite.h"
#include "engine/jobcontrol.h"
#include "engine/store.h"
#include "engine_testutil.h"
#include "rtf/rtfreader.h"
#include "testutil.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr quint32 FixedTick = 123456;

// Everything one run handed to its callbacks, and the folder it ran in.
struct Recorded
{
    QTemporaryDir work;
    QList<GeneratedArticle> rows;
    QList<int> replacedDeltas;
    QList<int> counts;
    QList<int> wordsAmounts;
    QString templateText;
    QString summary;
};

RtfDocument readRtfFile(const QString &path)
{
    const QByteArray bytes = TestUtil::fileBytes(path);
    return Rtf::read(TextFile::fromUtf16Le(bytes).toLatin1()).document;
}

} // namespace

class TestAutoRewrite : public EngineTest::DictionaryTest
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dictionary); }

    void rules_data() { TestUtil::addTableRows(u"autorewrite/rules.tsv"_s); }

    void rules()
    {
        // The changed text, when undoing the change gives the input back.
        const auto restored = [](const QString &in, const QString &changed, const QString &back) {
            return back == in ? changed : u"not restored: "_s + back;
        };
        TestUtil::checkRule({
            {u"protectReservedWords"_s,
             [&](auto &in, auto &arg) {
                 const QString shielded = AutoRewrite::protectReservedWords(in, arg);
                 return restored(in, shielded, AutoRewrite::restoreReservedWords(shielded, arg));
             }},
            {u"escapeMarks"_s,
             [&](auto &in, auto &arg) {
                 if (!arg.isEmpty())
                     return AutoRewrite::escapeMarks(in, true);
                 const QString escaped = AutoRewrite::escapeMarks(in);
                 return restored(in, escaped, AutoRewrite::unescapeMarks(escaped));
             }},
            {u"synonymsKept"_s,
             [](auto &in, auto &) {
                 return QString::number(AutoRewrite::synonymsKept(in.toInt()));
             }},
        });
    }

    void expandAlternatives_data()
    {
        TestUtil::addTableRows(u"autorewrite/expanded-alternatives.tsv"_s);
    }

    void expandAlternatives()
    {
        QFETCH(int, degree);
        QFETCH(QString, deal);
        QFETCH(QString, walked);
        const QString store = u"[0,4]Deal()\r\n[5,11]walked(sp:walk)\r\n[12,16]zork(not_exist)\r\n"
                              u"[17,21]walk(reserved_words)\r\n[22,25]big(ignore_words)\r\n"
                              u"[26,30]walk()kept\r\n[31,37]walked(sp:walk)\r\n"_s;
        const std::optional<QString> expanded =
            AutoRewrite::expandAlternatives(store, degree, *m_dictionary);
        QVERIFY(expanded);
        QCOMPARE(*expanded, u"[0,4]Deal()"_s + deal + u"\r\n[5,11]walked(sp:walk)"_s + walked +
                                u"\r\n[12,16]zork(not_exist)\r\n[17,21]walk(reserved_words)\r\n"
                                u"[22,25]big(ignore_words)\r\n[26,30]walk()kept\r\n"
                                u"[31,37]walked(sp:walk)"_s +
                                walked + u"\r\n"_s);
        JobControl stopped;
        stopped.abort();
        QVERIFY(!AutoRewrite::expandAlternatives(store, degree, *m_dictionary, &stopped));
    }

    void buildSpinTemplate_data() { TestUtil::addTableRows(u"autorewrite/spin-template.tsv"_s); }

    void buildSpinTemplate()
    {
        QFETCH(int, degree);
        QFETCH(QString, templateText);
        QFETCH(QString, records);
        const QString article = u"a quick lone 2011 x"_s;
        const QString store =
            u"[0,1]a()\r\n[2,7]quick()fast,rapid,swift\r\n[8,12]lone()solitary\r\n"
            u"[13,17]2011()two thousand eleven\r\n[18,19]x()\r\n"_s;
        QList<int> deltas;
        const SpinTemplate spin = AutoRewrite::buildSpinTemplate(
            article, store, degree, [&](int delta) { deltas << delta; });
        QCOMPARE(spin.text, templateText);
        QCOMPARE(spin.records, records);
        QCOMPARE(spin.recordCount, 2);
        QCOMPARE(deltas, QList<int>{2});
    }

    void replacedUpdatesPerNineRecords()
    {
        QString article;
        QString store;
        for (int i = 0; i < 20; ++i) {
            const qsizetype start = article.size();
            article += u"w "_s;
            store += Store::formatEntry(start, start + 1, u"w", {}, u"v");
        }
        QList<int> deltas;
        const SpinTemplate spin = AutoRewrite::buildSpinTemplate(
            article, store, AutoRewrite::General, [&](int delta) { deltas << delta; });
        QCOMPARE(deltas, (QList<int>{9, 9, 2}));
        QCOMPARE(spin.recordCount, 20);
        QCOMPARE(spin.text.count(u"{w|v}"), 20);
    }

    void parseAndResolve()
    {
        QVERIFY(!AutoRewrite::parseTemplate(u"{a|b} {c", {}));
        const std::optional<ParsedTemplate> parsed =
            AutoRewrite::parseTemplate(u"{a|b} x {c}}"_s, u"{a|b}=a\r\n"_s);
        QVERIFY(parsed);
        QCOMPARE(parsed->literals, (QStringList{QString(), u" x "_s, u"}"_s}));
        QCOMPARE(parsed->groups.size(), 2);
        QCOMPARE(parsed->groups[0].alternatives, (QStringList{u"a"_s, u"b"_s}));
        QCOMPARE(parsed->groups[0].isOriginal, (QList<bool>{true, false}));
        QCOMPARE(parsed->groups[1].isOriginal, QList<bool>{false});
        QCOMPARE(AutoRewrite::resolveTemplate(*parsed, {2, 1}), u"{b} x {c}}"_s);
        QCOMPARE(AutoRewrite::resolveTemplate(*parsed, {1, 1}), u"a x {c}}"_s);
        QCOMPARE(AutoRewrite::distinctSignatures(*parsed, 100), 2);
    }

    void articleAgreesWithTheChoice()
    {
        const std::optional<ParsedTemplate> parsed =
            AutoRewrite::parseTemplate(u"I saw an {owl|bird} and A \"{cat|owl}\"."_s,
                                       u"{owl|bird}=owl\r\n{cat|owl}=cat\r\n"_s);
        QVERIFY(parsed);
        QCOMPARE(AutoRewrite::resolveTemplate(*parsed, {2, 2}),
                 u"I saw a {bird} and An \"{owl}\"."_s);
        QCOMPARE(AutoRewrite::resolveTemplate(*parsed, {1, 1}), u"I saw an owl and A \"cat\"."_s);
        // A lone candidate is put in place when the template is built.
        const SpinTemplate spin = AutoRewrite::buildSpinTemplate(
            u"an owl"_s, u"[0,2]an()\r\n[3,6]owl()bird\r\n"_s, AutoRewrite::Topmost);
        QCOMPARE(spin.text, u"a bird"_s);
    }

    // Over many clocks: every choice sequence can come up (the word itself
    // stays in about a quarter of the articles at General, in the first group
    // too) and no two articles of a run agree in more than 90% of the groups.
    void choicesSpreadOverArticles()
    {
        const QString article = QStringList(40, u"quick"_s).join(u' ');
        int firstKept = 0;
        int articles = 0;
        for (const quint32 tick : {1u, 777u, 40000u, 123456u, 9999999u}) {
            Recorded recorded;
            AutoRewriteParams params = paramsIn(recorded.work, article, AutoRewrite::General, 100);
            params.tickCount = [tick] {
                return tick;
            };
            run(params, recorded);
            const QList<GeneratedArticle> rows = recorded.rows.mid(1);
            QCOMPARE(rows.size(), 100);
            for (qsizetype a = 0; a < rows.size(); ++a) {
                firstKept += rows[a].signature.first() == 1;
                for (qsizetype b = 0; b < a; ++b) {
                    int same = 0;
                    for (qsizetype g = 0; g < 40; ++g)
                        same += rows[a].signature[g] == rows[b].signature[g];
                    QVERIFY2(same <= 36, qPrintable(u"articles %1 and %2"_s.arg(a).arg(b)));
                }
            }
            articles += int(rows.size());
        }
        QVERIFY2(firstKept > articles / 6 && firstKept < articles / 3,
                 qPrintable(QString::number(firstKept)));
    }

    void seededRand()
    {
        // srand(seed); rand() of the original platform's C library.
        QCOMPARE(AutoRewrite::seededRand(0), 38);
        QCOMPARE(AutoRewrite::seededRand(1), 41);
        QCOMPARE(AutoRewrite::seededRand(2), 45);
        for (quint32 seed : {0u, 77u, 4000000000u})
            QVERIFY(AutoRewrite::seededRand(seed) >= 0 && AutoRewrite::seededRand(seed) <= 32767);
    }

    void colourReplaced()
    {
        ArticleFormat format;
        format.face = u"Arial"_s;
        format.pointSize = 11;
        format.bold = true;
        format.wordsColor = 0x00000080;    // dark red
        format.replacedColor = 0x00FF0000; // blue
        const RtfDocument document =
            AutoRewrite::colourReplaced(u"a {b c} {d}[<] e\r\n{ xy}"_s, format);
        RtfCharFormat plain;
        plain.face = u"Arial"_s;
        plain.halfPoints = 22;
        plain.bold = true;
        plain.colour = 0x800000;
        RtfCharFormat replaced = plain;
        replaced.colour = 0x0000FF;
        RtfCharFormat underlined = replaced;
        underlined.underline = true;
        const QList<RtfRun> runs{{u"a "_s, plain},   {u"b c"_s, underlined}, {u" "_s, plain},
                                 {u"d"_s, replaced}, {u"{ e\n"_s, plain},    {u" xy"_s, replaced}};
        QCOMPARE(document.runs, runs);
    }

    void twoGroupsOfTwo()
    {
        Recorded recorded;
        AutoRewriteParams params =
            paramsIn(recorded.work, u"big child"_s, AutoRewrite::VeryLow, 10);
        const AutoRewriteResult result = run(params, recorded);
        QCOMPARE(result.status, AutoRewriteStatus::Finished);
        QCOMPARE(result.articleCount, 4);
        QCOMPARE(recorded.counts, QList<int>{4});
        QCOMPARE(recorded.wordsAmounts, QList<int>{2});
        QCOMPARE(recorded.templateText, u"{big|large} {child|kid}"_s);
        QCOMPARE(recorded.replacedDeltas, QList<int>{2});
        QCOMPARE(recorded.rows.size(), 5);
        QCOMPARE(recorded.rows[0].name, u"original article"_s);
        QCOMPARE(recorded.rows[0].rate, u"0.00%"_s);
        QSet<QString> texts;
        for (const GeneratedArticle &row : recorded.rows.mid(1)) {
            texts.insert(row.text);
            const int changed = int(row.text.startsWith(u"large")) + int(row.text.endsWith(u"kid"));
            QCOMPARE(row.rate, QString::asprintf("%3.2f%%", changed * 50.0));
        }
        QCOMPARE(texts,
                 (QSet<QString>{u"big child"_s, u"large child"_s, u"big kid"_s, u"large kid"_s}));
        QCOMPARE(result.rates.size(), 4);
        QCOMPARE(QFileInfo(params.storePath).size(), 0);
        QCOMPARE(QFileInfo(params.replacedStorePath).size(), 0);
        QStringList files = QDir(params.articlesDir).entryList(QDir::Files);
        files.sort();
        QCOMPARE(files, (QStringList{u"1.rtf"_s, u"2.rtf"_s, u"3.rtf"_s, u"4.rtf"_s,
                                     u"original article.rtf"_s}));
    }

    void generalKeepsTheWordAsOneChoice()
    {
        Recorded recorded;
        const AutoRewriteResult result =
            run(paramsIn(recorded.work, u"quick"_s, AutoRewrite::General, 10), recorded);
        QCOMPARE(recorded.templateText, u"{quick|fast|rapid|swift}"_s);
        QCOMPARE(result.articleCount, 4);
        QSet<QString> texts;
        for (const GeneratedArticle &row : recorded.rows.mid(1)) {
            texts.insert(row.text);
            QCOMPARE(row.rate, row.text == u"quick" ? u"0.00%"_s : u"100.00%"_s);
        }
        QCOMPARE(texts, (QSet<QString>{u"quick"_s, u"fast"_s, u"rapid"_s, u"swift"_s}));
    }

    void choiceFollowsTheSeed()
    {
        Recorded recorded;
        AutoRewriteParams params = paramsIn(recorded.work, u"quick"_s, AutoRewrite::General, 1);
        params.choiceCounter = 40;
        const AutoRewriteResult result = run(params, recorded);
        // One group: counter 41, seed tick + 41 + article 1, c = r mod 4 + 1.
        const int expected = AutoRewrite::seededRand(FixedTick + 41 + 1) % 4 + 1;
        QCOMPARE(recorded.rows[1].signature, QList<int>{expected});
        QCOMPARE(result.choiceCounter, 41u);
    }

    void topmostSingleSynonym()
    {
        Recorded recorded;
        AutoRewriteParams params = paramsIn(recorded.work, u"lone"_s, AutoRewrite::Topmost, 3);
        const AutoRewriteResult result = run(params, recorded);
        QCOMPARE(result.articleCount, 1);
        QCOMPARE(recorded.rows.size(), 2);
        QCOMPARE(recorded.rows[1].text, u"solitary"_s);
        QCOMPARE(recorded.rows[1].rate, u"0.00%"_s);
        QCOMPARE(recorded.replacedDeltas, QList<int>{1});
        const RtfDocument document = readRtfFile(recorded.rows[1].path);
        QCOMPARE(document.runs.size(), 1);
        QCOMPARE(document.runs[0].format.colour, std::optional<quint32>(0));
    }

    void reservedWordsStayIntact()
    {
        Recorded recorded;
        AutoRewriteParams params =
            paramsIn(recorded.work, u"The art of the article"_s, AutoRewrite::Topmost, 5);
        params.reservedWords = u"art"_s;
        const AutoRewriteResult result = run(params, recorded);
        QCOMPARE(result.status, AutoRewriteStatus::Finished);
        QCOMPARE(result.articleCount, 1);
        QCOMPARE(recorded.rows[1].text, u"This art of this article"_s);
        QCOMPARE(recorded.templateText, u"This art of this article"_s);
    }

    void numbersAreNeverReplaced()
    {
        Recorded recorded;
        const AutoRewriteResult result =
            run(paramsIn(recorded.work, u"2011 deal"_s, AutoRewrite::VeryLow, 5), recorded);
        QCOMPARE(result.articleCount, 2);
        for (const GeneratedArticle &row : recorded.rows)
            QVERIFY(row.text.startsWith(u"2011 "));
    }

    void ownMarksComeOutIntact()
    {
        Recorded recorded;
        const QString article = TestUtil::dataText(u"engine/marks.txt"_s);
        QVERIFY(article.contains(u'{') && article.contains(u'|'));
        AutoRewriteParams params = paramsIn(recorded.work, article, AutoRewrite::VeryLow, 100);
        params.protectNames = false; // braces would mark "{curly}" as code
        const AutoRewriteResult result = run(params, recorded);
        QCOMPARE(result.status, AutoRewriteStatus::Finished);
        QCOMPARE(result.articleCount, 16);
        const QRegularExpression expected(
            u"^Use \\{curly\\} braces \\| pipes and \\[<\\] marks: (the|this) (big|large) "
            u"(dog|hound) \\{(walked|strolled)\\} home\\.\\n$"_s);
        QSet<QString> texts;
        for (const GeneratedArticle &row : recorded.rows.mid(1)) {
            QVERIFY2(expected.match(row.text).hasMatch(), qPrintable(row.text));
            QCOMPARE(Rtf::plainText(readRtfFile(row.path)), row.text);
            texts.insert(row.text);
        }
        QCOMPARE(texts.size(), 16);
        QCOMPARE(Rtf::plainText(readRtfFile(recorded.rows[0].path)), article);
    }

    void generatedFiles()
    {
        Recorded recorded;
        AutoRewriteParams params =
            paramsIn(recorded.work, u"look after it"_s, AutoRewrite::VeryHigh, 4);
        params.format.face = u"Georgia"_s;
        params.format.replacedColor = 0x000000FF; // red
        QVERIFY(QDir().mkpath(params.articlesDir + u"/old/deeper"_s));
        QVERIFY(TextFile::writeBytes(params.articlesDir + u"/9.rtf"_s, "stale"));
        const AutoRewriteResult result = run(params, recorded);
        QCOMPARE(result.articleCount, 4);
        QCOMPARE(recorded.templateText, u"{look after|care for|mind|tend} it"_s);
        QVERIFY(!QFile::exists(params.articlesDir + u"/9.rtf"_s));
        QVERIFY(!QFile::exists(params.articlesDir + u"/old"_s));
        for (const GeneratedArticle &row : recorded.rows.mid(1)) {
            const QByteArray bytes = TestUtil::fileBytes(row.path);
            QVERIFY(bytes.startsWith(QByteArray("{\0\\\0r\0t\0f\0", 10)));
            const RtfDocument document = readRtfFile(row.path);
            QCOMPARE(Rtf::plainText(document), row.text);
            const QString chosen = row.text.chopped(3);
            const RtfRun &first = document.runs.first();
            QCOMPARE(first.text.startsWith(chosen), true);
            QCOMPARE(first.format.face, u"Georgia"_s);
            if (chosen == u"look after") {
                QCOMPARE(first.format.colour, std::optional<quint32>(0));
                QCOMPARE(row.rate, u"0.00%"_s);
            } else {
                QCOMPARE(first.format.colour, std::optional<quint32>(0xFF0000));
                QCOMPARE(first.format.underline, chosen == u"care for");
                // One group among three words: N counts the words before the merge.
                QCOMPARE(row.rate, u"33.33%"_s);
            }
        }
    }

    void exhaustedSpaceEndsAndStaysDistinct()
    {
        Recorded recorded;
        const AutoRewriteResult result = run(
            paramsIn(recorded.work, u"big child deal walk fly make"_s, AutoRewrite::VeryLow, 100),
            recorded);
        QCOMPARE(result.status, AutoRewriteStatus::Finished);
        QCOMPARE(result.articleCount, 64);
        QSet<QList<int>> signatures;
        QSet<QString> texts;
        for (const GeneratedArticle &row : recorded.rows.mid(1)) {
            signatures.insert(row.signature);
            texts.insert(row.text);
        }
        QCOMPARE(signatures.size(), 64);
        QCOMPARE(texts.size(), 64);
    }

    void sameSeedSameArticles()
    {
        QTemporaryDir first;
        QTemporaryDir second;
        Recorded a;
        Recorded b;
        const QString article = TestUtil::dataText(u"engine/citywalk.txt"_s);
        run(paramsIn(first, article, AutoRewrite::VeryHigh, 30), a);
        run(paramsIn(second, article, AutoRewrite::VeryHigh, 30), b);
        QCOMPARE(a.rows.size(), 31);
        QSet<QList<int>> signatures;
        for (qsizetype i = 1; i < a.rows.size(); ++i) {
            QCOMPARE(a.rows[i].text, b.rows[i].text);
            QCOMPARE(a.rows[i].signature, b.rows[i].signature);
            signatures.insert(a.rows[i].signature);
        }
        QCOMPARE(signatures.size(), 30);
    }

    void abortKeepsFinishedArticles()
    {
        QTemporaryDir work;
        AutoRewriteParams params =
            paramsIn(work, u"big child quick deal"_s, AutoRewrite::VeryLow, 10);
        JobControl control;
        QList<int> added;
        AutoRewriteCallbacks callbacks;
        callbacks.articleAdded = [&](const GeneratedArticle &row) {
            added << row.index;
            if (row.index == 2)
                control.abort();
        };
        const AutoRewriteResult result =
            AutoRewrite::runAutoRewrite(params, *m_dictionary, control, callbacks);
        QCOMPARE(result.status, AutoRewriteStatus::Aborted);
        QCOMPARE(added, (QList<int>{0, 1, 2}));
        QCOMPARE(result.generated, 2);
        QVERIFY(QFile::exists(params.articlesDir + u"/original article.rtf"_s));
        QVERIFY(QFile::exists(params.articlesDir + u"/1.rtf"_s));
        QVERIFY(QFile::exists(params.articlesDir + u"/2.rtf"_s));
        QVERIFY(!QFile::exists(params.articlesDir + u"/3.rtf"_s));
        QCOMPARE(QFileInfo(params.storePath).size(), 0);
        QCOMPARE(QFileInfo(params.replacedStorePath).size(), 0);
    }

    void abortBeforeStart()
    {
        QTemporaryDir work;
        AutoRewriteParams params = paramsIn(work, u"big child"_s, AutoRewrite::VeryLow, 2);
        QVERIFY(Store::writeStore(params.storePath, u"old"_s, true));
        JobControl control;
        control.abort();
        const AutoRewriteResult result =
            AutoRewrite::runAutoRewrite(params, *m_dictionary, control);
        QCOMPARE(result.status, AutoRewriteStatus::Aborted);
        QCOMPARE(QFileInfo(params.storePath).size(), 0);
        QVERIFY(!QFile::exists(params.articlesDir + u"/1.rtf"_s));
    }

    void articleWithoutWords()
    {
        Recorded recorded;
        const AutoRewriteResult result = run(paramsIn(recorded.work, u"!!! ???"_s, 3, 5), recorded);
        QCOMPARE(result.status, AutoRewriteStatus::Finished);
        QCOMPARE(result.articleCount, 1);
        QCOMPARE(recorded.rows[1].text, u"!!! ???"_s);
        QCOMPARE(recorded.rows[1].rate, u"0.00%"_s);
    }

    void realDictionary()
    {
        const QString path = EngineTest::realDictionaryPath();
        if (!QFile::exists(path))
            QSKIP("the build made no SysFuns.dll");
        QString error;
        auto dictionary = Dictionary::open(path, true, false, &error);
        QVERIFY2(dictionary, qPrintable(error));
        QTemporaryDir work;
        const AutoRewriteParams params =
            paramsIn(work, TestUtil::dataText(u"engine/remote.txt"_s), AutoRewrite::General, 25);
        JobControl control;
        QList<GeneratedArticle> rows;
        AutoRewriteCallbacks callbacks;
        callbacks.articleAdded = [&](const GeneratedArticle &row) {
            rows << row;
        };
        const AutoRewriteResult result =
            AutoRewrite::runAutoRewrite(params, *dictionary, control, callbacks);
        QCOMPARE(result.status, AutoRewriteStatus::Finished);
        QCOMPARE(rows.size(), 26);
        QSet<QList<int>> signatures;
        for (const GeneratedArticle &row : rows.mid(1)) {
            signatures.insert(row.signature);
            QVERIFY(row.rate.endsWith(u'%'));
            QVERIFY(row.rate.chopped(1).toDouble() > 5.0);
            QCOMPARE(Rtf::plainText(readRtfFile(row.path)), row.text);
        }
        QCOMPARE(signatures.size(), 25);
    }

    void commandLine()
    {
        QTemporaryDir work;
        const QString article = work.filePath(u"article.txt"_s);
        QVERIFY(TextFile::writeBytes(article, "Big child\r\n"));
        const QString dictionary = m_dir.filePath(u"dictionary.db"_s);
        const TestUtil::ProcessRun run = TestUtil::runCli(
            {u"spin"_s, article, u"-n"_s, u"9"_s, u"--degree"_s, u"5"_s, u"--txt"_s, u"--out"_s,
             work.filePath(u"out"_s), u"--dictionary"_s, dictionary});
        QVERIFY2(run.exitCode == 0, qPrintable(run.errors));
        const QStringList lines = run.output.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 4);
        QVERIFY(QRegularExpression(u"^1\t\\d+\\.\\d\\d%$"_s).match(lines[0]).hasMatch());
        QSet<QString> texts;
        for (int i = 1; i <= 4; ++i) {
            const QByteArray bytes = TestUtil::fileBytes(work.filePath(u"out/%1.txt"_s.arg(i)));
            QVERIFY(bytes.startsWith("\xFF\xFE"));
            texts.insert(TextFile::fromUtf16Le(bytes.mid(2)));
        }
        QCOMPARE(texts, (QSet<QString>{u"Big child\r\n"_s, u"Large child\r\n"_s, u"Big kid\r\n"_s,
                                       u"Large kid\r\n"_s}));

        const QString zip = work.filePath(u"articles.zip"_s);
        QCOMPARE(TestUtil::runCli({u"spin"_s, article, u"-n"_s, u"2"_s, u"--zip"_s, zip,
                                   u"--dictionary"_s, dictionary})
                     .exitCode,
                 0);
        QVERIFY(TestUtil::fileBytes(zip).startsWith("PK\x03\x04"));
        QCOMPARE(TestUtil::runCli({u"spin"_s, article, u"--degree"_s, u"9"_s}).exitCode, 2);
        QCOMPARE(TestUtil::runCli({u"spin"_s, article, u"--out"_s, u"a"_s, u"--zip"_s, u"b.zip"_s})
                     .exitCode,
                 2);
    }

    void plainArticle_data() { TestUtil::addTableRows(u"autorewrite/plain-articles.tsv"_s); }

    // The text articles are made without the rich text, and say the same.
    void plainArticle()
    {
        QFETCH(QString, resolved);
        QCOMPARE(AutoRewrite::plainArticle(resolved),
                 Rtf::plainText(AutoRewrite::colourReplaced(resolved, ArticleFormat())));
    }

    void commandLineFailures_data()
    {
        // shell: run before the program (OUT is the output folder); target: the
        // output given; kept: what the target must still hold afterwards.
        QTest::addColumn<QString>("shell");
        QTest::addColumn<QStringList>("output");
        QTest::addColumn<QString>("kept");
        QTest::addColumn<int>("exitCode");
        const QString fullDisk = u"trap '' XFSZ; ulimit -f 1;"_s;
        QTest::newRow("full disk, folder")
            << fullDisk << QStringList{u"--txt"_s, u"--out"_s, u"OUT"_s} << u"OUT/1.txt"_s << 1;
        QTest::newRow("full disk, archive")
            << fullDisk << QStringList{u"--txt"_s, u"--zip=OUT/1.txt"_s} << u"OUT/1.txt"_s << 1;
        QTest::newRow("full disk, rich text")
            << fullDisk << QStringList{u"--out"_s, u"OUT"_s} << u"OUT/1.txt"_s << 1;
        QTest::newRow("archive onto a FIFO")
            << QString() << QStringList{u"--zip"_s, u"OUT/fifo"_s} << u"OUT/1.txt"_s << 1;
        QTest::newRow("folder onto a file")
            << QString() << QStringList{u"--out"_s, u"OUT/1.txt"_s} << u"OUT/1.txt"_s << 1;
        QTest::newRow("unknown option")
            << QString() << QStringList{u"--colour=red"_s} << u"OUT/1.txt"_s << 2;
    }

    // Never a success report, never a torn or emptied older file, nothing left
    // behind but what was there.
    void commandLineFailures()
    {
        QFETCH(QString, shell);
        QFETCH(QStringList, output);
        QFETCH(QString, kept);
        QFETCH(int, exitCode);
        QTemporaryDir work;
        const QString outDir = work.filePath(u"out"_s);
        QVERIFY(QDir().mkpath(outDir));
        QVERIFY(mkfifo(QFile::encodeName(outDir + u"/fifo"_s).constData(), 0600) == 0);
        QVERIFY(TextFile::writeBytes(outDir + u"/1.txt"_s, "old"));
        const QString article = work.filePath(u"article.txt"_s);
        // Articles of several kilobytes, past the limit of the full disk.
        QVERIFY(TextFile::writeBytes(article, QByteArray("Big child. ").repeated(300)));
        QStringList arguments = {u"spin"_s, article,           u"-n"_s,
                                 u"3"_s,    u"--dictionary"_s, m_dir.filePath(u"dictionary.db"_s)};
        for (const QString &o : output)
            arguments << QString(o).replace(u"OUT"_s, outDir);
        const TestUtil::ProcessRun run = TestUtil::runProgram(
            u"bash"_s, QStringList{u"-c"_s, shell + u" exec \"$0\" \"$@\""_s, TestUtil::cliPath()} +
                           arguments);
        QVERIFY2(run.exitCode == exitCode, qPrintable(run.errors));
        QVERIFY(!run.errors.isEmpty());
        QCOMPARE(TestUtil::fileBytes(QString(kept).replace(u"OUT"_s, outDir)), "old");
        QCOMPARE(QDir(outDir).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot |
                                        QDir::Hidden),
                 QStringList({u"1.txt"_s, u"fifo"_s}));
        QVERIFY(!QFileInfo(outDir + u"/fifo"_s).isFile());
    }

private:
    AutoRewriteParams paramsIn(const QTemporaryDir &work, const QString &article, int degree,
                               int count) const
    {
        AutoRewriteParams params;
        params.article = article;
        params.degree = degree;
        params.requestedCount = count;
        params.storePath = work.filePath(u"temp.dat"_s);
        params.replacedStorePath = work.filePath(u"replacedtemp.dat"_s);
        params.articlesDir = work.filePath(u"temp"_s);
        params.tickCount = [] {
            return FixedTick;
        };
        return params;
    }

    AutoRewriteResult run(const AutoRewriteParams &params, Recorded &recorded)
    {
        AutoRewriteCallbacks callbacks;
        callbacks.articleAdded = [&](const GeneratedArticle &row) {
            recorded.rows << row;
        };
        callbacks.replacedAdded = [&](int delta) {
            recorded.replacedDeltas << delta;
        };
        callbacks.articleCount = [&](int count) {
            recorded.counts << count;
        };
        callbacks.wordsAmount = [&](int n) {
            recorded.wordsAmounts << n;
        };
        callbacks.templateReady = [&](const QString &text) {
            recorded.templateText = text;
        };
        callbacks.frequencySummary = [&](const QString &text) {
            recorded.summary = text;
        };
        JobControl control;
        return AutoRewrite::runAutoRewrite(params, *m_dictionary, control, callbacks);
    }
};

QTEST_GUILESS_MAIN(TestAutoRewrite)
#include "tst_autorewrite.moc"
