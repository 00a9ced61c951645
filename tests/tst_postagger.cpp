#include "engine/postagger.h"
#include "engine/postagtokenizer.h"
#include "engine/postagtraining.h"
#include "engine/scanner.h"
#include "testutil.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#define XXH_INLINE_ALL
#include <thread>
#include <xxhash.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// Written by rewordix-tagtrain beside the build's bin folder.
QString heldOutFile()
{
    return QStringLiteral(REWORDIX_BIN_DIR) + u"/../tagger/heldout.txt"_s;
}

// A model trained in the test on two sentences: enough to exercise the file
// format and the spans, not the accuracy.
QByteArray tinyModel()
{
    using T = PosTag;
    const QList<PosTraining::Sentence> sentences = {
        {{u"The"_s, u"dog"_s, u"barked"_s, u"."_s},
         {T::Determiner, T::Noun, T::VerbPast, T::Punctuation}},
        {{u"He"_s, u"owns"_s, u"2"_s, u"cars"_s, u"."_s},
         {T::Pronoun, T::VerbThird, T::Number, T::PluralNoun, T::Punctuation}},
    };
    PosTraining::Options options;
    options.dictionaryMinCount = 2;
    return PosTraining::train(sentences, options).serialize();
}

// Where the model file's counts stand: after the magic, version, tag count
// and names, at a multiple of 8.
qsizetype countsOffset()
{
    qsizetype at = 16;
    for (int t = 0; t < posTagCount; ++t)
        at += 1 + posTagName(PosTag(t)).size();
    return (at + 7) & ~qsizetype(7);
}

quint32 countAt(const QByteArray &model, int index)
{
    return qFromLittleEndian<quint32>(model.constData() + countsOffset() + 4 * index);
}

// The model with one byte changed and its checksum made anew: damage that
// only the checks of the tables can find.
QByteArray resealed(QByteArray model, qsizetype at, char byte)
{
    model[at] = byte;
    const qsizetype end = model.size() - 8;
    qToLittleEndian(XXH3_64bits(model.constData(), size_t(end)), model.data() + end);
    return model;
}

QString tokenText(QStringView text)
{
    QStringList sentences;
    for (const QList<PosTokenizer::Token> &sentence : PosTokenizer::sentences(text)) {
        QStringList tokens;
        for (const PosTokenizer::Token &t : sentence)
            tokens.append(text.sliced(t.start, t.end - t.start).toString());
        sentences.append(tokens.join(u' '));
    }
    return sentences.join(u" / "_s);
}

} // namespace

class TestPosTagger : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void heldOutAccuracy()
    {
        QFile file(heldOutFile());
        if (!TestUtil::shippedTagger() || !file.open(QIODevice::ReadOnly))
            QSKIP("the build made no tagger model (corpus not fetched)");
        qint64 right = 0;
        qint64 total = 0;
        QStringList words;
        QList<PosTag> gold;
        const auto score = [&] {
            const QList<PosTag> tags = TestUtil::shippedTagger()->tagSentence(words);
            for (qsizetype i = 0; i < tags.size(); ++i)
                right += tags[i] == gold[i];
            total += words.size();
            words.clear();
            gold.clear();
        };
        for (const QByteArray &line : file.readAll().split('\n')) {
            if (line.isEmpty()) {
                score();
                continue;
            }
            const QList<QByteArray> fields = line.split('\t');
            QCOMPARE(fields.size(), 2);
            const std::optional<PosTag> tag = posTagFromName(QString::fromLatin1(fields[1]));
            QVERIFY2(tag, fields[1].constData());
            words.append(QString::fromUtf8(fields[0]));
            gold.append(*tag);
        }
        score();
        QVERIFY(total > 50000);
        const double accuracy = double(right) / double(total);
        qInfo("held-out accuracy %.2f%% of %lld tokens", 100 * accuracy, total);
        QVERIFY2(accuracy >= 0.95, qPrintable(QString::number(100 * accuracy)));
    }

    void wordsInSentences_data() { TestUtil::addTableRows(u"postagger/tagged-words.tsv"_s); }

    void wordsInSentences()
    {
        QFETCH(QString, sentence);
        QFETCH(QString, word);
        QFETCH(QString, tag);
        QVERIFY2(posTagFromName(tag), qPrintable(tag));
        if (!TestUtil::shippedTagger())
            QSKIP("the build made no tagger model (corpus not fetched)");
        const qsizetype start = sentence.indexOf(word);
        const QList<TaggedSpan> spans = TestUtil::shippedTagger()->tagText(sentence);
        const auto it = std::find_if(spans.begin(), spans.end(),
                                     [start](const TaggedSpan &s) { return s.start == start; });
        QVERIFY(it != spans.end());
        QCOMPARE(posTagName(it->tag), tag);
    }

    void classes()
    {
        QCOMPARE(posClass(PosTag::VerbThird), PosClass::Verb);
        QCOMPARE(posClass(PosTag::PluralProperNoun), PosClass::ProperNoun);
        QCOMPARE(posClass(PosTag::Superlative), PosClass::Adjective);
        QCOMPARE(posClass(PosTag::Modal), PosClass::Other);
        for (int t = 0; t < posTagCount; ++t)
            QCOMPARE(posTagFromName(posTagName(PosTag(t))), std::optional(PosTag(t)));
    }

    void brokenModel_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray good = tinyModel();
        QByteArray flipped = good;
        flipped[flipped.size() / 2] = char(flipped[flipped.size() / 2] ^ 0x10);
        QByteArray newer = good;
        newer[8] = 3;
        // Counts: features, weights, dictionary and lower-case words, then
        // the slots of the three key sets.
        const qint64 keys = countAt(good, 0) + countAt(good, 2) + countAt(good, 3);
        const qsizetype featureSlots = countsOffset() + 32 + 8 * keys + 4 * (countAt(good, 0) + 1);
        const qsizetype weightTags = featureSlots +
                                     4 * (countAt(good, 4) + countAt(good, 5) + countAt(good, 6)) +
                                     4 * countAt(good, 1);
        QTest::newRow("empty") << QByteArray() << u"not a tagger model"_s;
        QTest::newRow("other file") << QByteArray("PK\3\4 a zip archive") << u"not a tagger"_s;
        QTest::newRow("header only") << good.left(12) << u"truncated"_s;
        QTest::newRow("half") << good.left(good.size() / 2) << u"truncated"_s;
        QTest::newRow("last byte missing") << good.chopped(1) << u"truncated"_s;
        QTest::newRow("byte changed") << flipped << u"damaged"_s;
        QTest::newRow("newer format") << newer << u"format 3 is not supported"_s;
        QTest::newRow("byte added") << good + 'x' << u"damaged"_s;
        QTest::newRow("slot past the keys")
            << resealed(good, featureSlots + 3, 0x7F) << u"key tables are inconsistent"_s;
        QTest::newRow("weight tag past the tags")
            << resealed(good, weightTags, 0x7F) << u"bad tag or weight"_s;
    }

    void brokenModel()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"tagger.model"_s);
        QVERIFY(TextFile::writeBytes(path, bytes));
        QString error;
        QVERIFY(!PosTagger::load(path, &error));
        QVERIFY2(error.contains(message) && error.contains(path), qPrintable(error));
    }

    void modelRoundTrip()
    {
        QString error;
        QVERIFY(!PosTagger::load(u"no-such-dir/tagger.model"_s, &error));
        QVERIFY2(error.contains(u"cannot open"_s), qPrintable(error));
        const std::unique_ptr<PosTagger> tagger = PosTagger::fromBytes(tinyModel(), &error);
        QVERIFY2(tagger, qPrintable(error));
        const QList<PosTag> expected = {PosTag::Determiner, PosTag::Noun, PosTag::VerbPast,
                                        PosTag::Punctuation};
        QCOMPARE(tagger->tagSentence({u"The"_s, u"dog"_s, u"barked"_s, u"."_s}), expected);
        QCOMPARE(tinyModel(), tinyModel());
    }

    void tokens_data() { TestUtil::addTableRows(u"postagger/tokens.tsv"_s); }

    void tokens()
    {
        QFETCH(QString, text);
        QFETCH(QString, tokens);
        QCOMPARE(tokenText(text), tokens);
    }

    void spansMeetScannerWords_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("mixed") << u"“It’s 10:30,” said Mr. O'Brien—at the U.S. café's door.\r\n"
                                  u"No final stop here\r\n\r\nnaïve Zürich 3.5% of $1,000... "
                                  u"rock'n'roll -- well-known 'quoted' dogs' bones"_s;
        QTest::newRow("marks") << u"-5 x:y a-b- it's-- '$' %%20 :-) e.g.x 1/2'' ab''cd --x--"_s;
        QTest::newRow("no spaces") << u"a.b,c;d!e?f(g)h\"i“j”k’l"_s;
        QTest::newRow("surrogates") << u"word 😀smile 𝒜x end"_s;
    }

    void spansMeetScannerWords()
    {
        QFETCH(QString, text);
        const std::unique_ptr<PosTagger> tagger = PosTagger::fromBytes(tinyModel(), nullptr);
        QVERIFY(tagger);
        const QList<TaggedSpan> spans = tagger->tagText(text);
        QSet<qsizetype> starts;
        qsizetype end = 0;
        for (const TaggedSpan &s : spans) {
            QVERIFY(s.start >= end && s.end > s.start && s.end <= text.size());
            for (qsizetype p = end; p < s.start; ++p)
                QVERIFY2(text[p].isSpace(), qPrintable(text.mid(p, 5)));
            starts.insert(s.start);
            end = s.end;
        }
        for (const WordSpan &w : Scanner::allWords(text))
            QVERIFY2(starts.contains(w.start), qPrintable(w.text));
    }

    void concurrentTagging()
    {
        const std::unique_ptr<PosTagger> tagger = PosTagger::fromBytes(tinyModel(), nullptr);
        QVERIFY(tagger);
        const QString text = u"The dog barked. He owns 2 cars.\n"_s.repeated(200);
        const QList<TaggedSpan> expected = tagger->tagText(text);
        std::vector<QList<TaggedSpan>> results(4);
        std::vector<std::thread> threads;
        for (auto &result : results)
            threads.emplace_back([&] { result = tagger->tagText(text); });
        for (std::thread &t : threads)
            t.join();
        for (const auto &result : results)
            QCOMPARE(result, expected);
    }
};

QTEST_GUILESS_MAIN(TestPosTagger)
#include "tst_postagger.moc"
