// rewordix-tagtrain: trains the part-of-speech tagger's model on the tagged
// Brown corpus (files ca01..cr09 of "word/tag" tokens, one sentence a line).
// The 10th, 20th, ... file in name order is held out: the model never sees
// it, and it is written in our tag set for the accuracy test. See --help.
#include "browntags.h"
#include "engine/postagger.h"
#include "engine/postagmodel.h"
#include "engine/postagtraining.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include <cstdio>
#include <optional>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int heldOutEvery = 10;

void print(const QString &text)
{
    std::fputs(qPrintable(text + u'\n'), stdout);
}

int fail(const QString &text)
{
    std::fputs(qPrintable(u"rewordix-tagtrain: "_s + text + u'\n'), stderr);
    return 1;
}

struct Corpus
{
    QList<PosTraining::Sentence> training;
    QList<PosTraining::Sentence> heldOut;
    QSet<QString> unknownTags;
    int files = 0;
    int malformed = 0;
};

std::optional<QString> readCorpusFile(const QString &path, QList<PosTraining::Sentence> *into,
                                      Corpus *corpus)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return u"cannot read %1: %2"_s.arg(path, file.errorString());
    const QString text = QString::fromUtf8(file.readAll());
    for (QStringView line : QStringView(text).split(u'\n')) {
        PosTraining::Sentence sentence;
        for (QStringView item : line.trimmed().split(u' ', Qt::SkipEmptyParts)) {
            const qsizetype slash = item.lastIndexOf(u'/');
            if (slash <= 0 || slash == item.size() - 1) {
                ++corpus->malformed;
                continue;
            }
            const QStringView word = item.left(slash);
            const QStringView brown = item.sliced(slash + 1);
            std::optional<PosTag> tag = BrownTags::map(brown, word, sentence.words.isEmpty());
            if (!tag) {
                corpus->unknownTags.insert(brown.toString());
                tag = PosTag::Other;
            }
            sentence.words.append(PosFeatures::corpusForm(word, false));
            sentence.tags.append(*tag);
        }
        if (!sentence.words.isEmpty())
            into->append(std::move(sentence));
    }
    return std::nullopt;
}

std::optional<QString> readCorpus(const QString &dir, Corpus *corpus)
{
    static const QRegularExpression fileName(u"^c[a-r][0-9][0-9]$"_s);
    QStringList names = QDir(dir).entryList(QDir::Files, QDir::Name);
    names = names.filter(fileName);
    if (names.isEmpty())
        return u"no Brown corpus files (ca01..cr09) in %1"_s.arg(dir);
    for (qsizetype i = 0; i < names.size(); ++i) {
        const bool heldOut = (i + 1) % heldOutEvery == 0;
        if (auto error = readCorpusFile(QDir(dir).filePath(names[i]),
                                        heldOut ? &corpus->heldOut : &corpus->training, corpus)) {
            return error;
        }
    }
    corpus->files = int(names.size());
    return std::nullopt;
}

std::optional<QString> writeFile(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return u"cannot write %1: %2"_s.arg(path, file.errorString());
    return std::nullopt;
}

// One token a line, "word<TAB>Tag", a blank line after each sentence.
QByteArray heldOutText(const QList<PosTraining::Sentence> &sentences)
{
    QString text;
    for (const PosTraining::Sentence &s : sentences) {
        for (qsizetype i = 0; i < s.words.size(); ++i)
            text += s.words[i] + u'\t' + posTagName(s.tags[i]) + u'\n';
        text += u'\n';
    }
    return text.toUtf8();
}

qsizetype tokenCount(const QList<PosTraining::Sentence> &sentences)
{
    qsizetype n = 0;
    for (const PosTraining::Sentence &s : sentences)
        n += s.words.size();
    return n;
}

void evaluate(const PosTagger &tagger, const Corpus &corpus)
{
    QSet<QString> seen;
    for (const PosTraining::Sentence &s : corpus.training) {
        for (const QString &w : s.words)
            seen.insert(w);
    }
    qint64 right = 0, total = 0, unseenRight = 0, unseenTotal = 0;
    for (const PosTraining::Sentence &s : corpus.heldOut) {
        const QList<PosTag> tags = tagger.tagSentence(s.words);
        for (qsizetype i = 0; i < s.words.size(); ++i) {
            const bool ok = tags[i] == s.tags[i];
            right += ok;
            ++total;
            if (!seen.contains(s.words[i])) {
                unseenRight += ok;
                ++unseenTotal;
            }
        }
    }
    print(u"held-out accuracy %1% of %2 tokens; on words unseen in training %3% of %4"_s
              .arg(100.0 * double(right) / double(qMax<qint64>(total, 1)), 0, 'f', 2)
              .arg(total)
              .arg(100.0 * double(unseenRight) / double(qMax<qint64>(unseenTotal, 1)), 0, 'f', 2)
              .arg(unseenTotal));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"rewordix-tagtrain"_s);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Trains the part-of-speech tagger on the tagged Brown corpus. Every 10th file in "
        u"name order is held out for evaluation."_s);
    parser.addHelpOption();
    const QCommandLineOption corpusOption(u"corpus"_s, u"Folder of the Brown files ca01..cr09."_s,
                                          u"dir"_s);
    const QCommandLineOption outOption(u"out"_s, u"Model file to write."_s, u"path"_s);
    const QCommandLineOption heldOutOption(
        u"heldout"_s, u"File to write the held-out sentences to (word, tab, tag)."_s, u"path"_s);
    const QCommandLineOption iterationsOption(u"iterations"_s, u"Training iterations (5)."_s,
                                              u"n"_s, u"5"_s);
    const QCommandLineOption seedOption(u"seed"_s, u"Seed of the sentence shuffle (1961)."_s,
                                        u"n"_s, u"1961"_s);
    parser.addOptions({corpusOption, outOption, heldOutOption, iterationsOption, seedOption});
    parser.process(app);
    if (!parser.isSet(corpusOption) || !parser.isSet(outOption))
        return fail(u"--corpus and --out are required (see --help)"_s);

    PosTraining::Options options;
    bool ok = false;
    options.iterations = parser.value(iterationsOption).toInt(&ok);
    if (!ok || options.iterations < 1)
        return fail(u"--iterations must be a positive number"_s);
    options.seed = parser.value(seedOption).toUInt(&ok);
    if (!ok)
        return fail(u"--seed must be a number"_s);

    QElapsedTimer timer;
    timer.start();
    Corpus corpus;
    if (auto error = readCorpus(parser.value(corpusOption), &corpus))
        return fail(*error);
    print(u"read %1 files: %2 training sentences (%3 tokens), %4 held out (%5 tokens) in %6 ms"_s
              .arg(corpus.files)
              .arg(corpus.training.size())
              .arg(tokenCount(corpus.training))
              .arg(corpus.heldOut.size())
              .arg(tokenCount(corpus.heldOut))
              .arg(timer.elapsed()));
    if (corpus.malformed > 0)
        print(u"skipped %1 items without a word/tag form"_s.arg(corpus.malformed));
    if (!corpus.unknownTags.isEmpty()) {
        QStringList tags = corpus.unknownTags.values();
        tags.sort();
        print(u"unknown tags, taken as Other: %1"_s.arg(tags.join(u' ')));
    }

    timer.restart();
    const PosModel model =
        PosTraining::train(corpus.training, options, [](int iteration, double accuracy) {
            print(u"iteration %1: %2% of training tokens right"_s.arg(iteration).arg(
                100.0 * accuracy, 0, 'f', 2));
        });
    const QByteArray bytes = model.serialize();
    print(u"trained in %1 ms: %2 features, %3 weights, %4 dictionary words, %5 bytes"_s
              .arg(timer.elapsed())
              .arg(model.featureCount())
              .arg(model.weightCount())
              .arg(model.dictionarySize())
              .arg(bytes.size()));

    // The model last: it is what the build checks for.
    if (parser.isSet(heldOutOption)) {
        if (auto error = writeFile(parser.value(heldOutOption), heldOutText(corpus.heldOut)))
            return fail(*error);
    }
    const QString out = parser.value(outOption);
    if (auto error = writeFile(out, bytes))
        return fail(*error);

    // Evaluate what was written, read back as the program will read it.
    QString error;
    const std::unique_ptr<PosTagger> tagger = PosTagger::load(out, &error);
    if (!tagger)
        return fail(error);
    evaluate(*tagger, corpus);
    return 0;
}
