#include "engine/postagger.h"

#include "engine/postagmodel.h"
#include "engine/postagtokenizer.h"
#include "engine/scanner.h"

#include <QFile>
#include <QSet>

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr std::array<const char16_t *, posTagCount> tagNames = {
    u"Noun",        u"PluralNoun",     u"ProperNoun",  u"PluralProperNoun", u"Verb",
    u"VerbPast",    u"VerbParticiple", u"VerbGerund",  u"VerbThird",        u"Modal",
    u"Adjective",   u"Comparative",    u"Superlative", u"Adverb",           u"Particle",
    u"Pronoun",     u"Determiner",     u"Preposition", u"Conjunction",      u"Number",
    u"Punctuation", u"Other",
};

// A real model is a few megabytes.
constexpr qint64 maxModelSize = 512LL * 1024 * 1024;

QList<PosTag> tagForms(const PosModel &model, const QStringList &forms)
{
    QList<PosTag> tags;
    tags.reserve(forms.size());
    const std::vector<PosFeatures::TokenInfo> info =
        PosFeatures::sentenceInfo(forms, model.lowercase());
    std::array<quint64, PosFeatures::count> keys{};
    int prev = PosFeatures::startTag;
    int prev2 = PosFeatures::start2Tag;
    for (qsizetype i = 0; i < forms.size(); ++i) {
        std::optional<PosTag> tag = model.dictionaryTag(PosFeatures::stringHash(forms[i]));
        if (!tag) {
            PosFeatures::staticKeys(info, i, keys.data());
            PosFeatures::dynamicKeys(info, i, prev, prev2, keys.data() + PosFeatures::staticCount);
            std::array<float, posTagCount> scores{};
            for (quint64 key : keys)
                model.addScores(key, scores.data());
            tag = PosTag(std::max_element(scores.begin(), scores.end()) - scores.begin());
        }
        tags.append(*tag);
        prev2 = prev;
        prev = int(*tag);
    }
    return tags;
}

// Where the scanner's words start: at the first letter, digit, "$" or "%" of
// each run of word characters.
std::vector<qsizetype> scannerWordStarts(QStringView text)
{
    std::vector<qsizetype> starts;
    bool started = false;
    for (qsizetype p = 0; p < text.size(); ++p) {
        const char16_t c = text[p].unicode();
        if (!Scanner::isWordChar(c)) {
            started = false;
        } else if (!started && Scanner::isWordStart(c)) {
            starts.push_back(p);
            started = true;
        }
    }
    return starts;
}

// The index of a sentence's first token that holds a letter, after opening
// quotes and brackets; the size when there is none.
qsizetype firstWord(const QStringList &forms)
{
    for (qsizetype i = 0; i < forms.size(); ++i) {
        if (std::any_of(forms[i].begin(), forms[i].end(), [](QChar c) { return c.isLetter(); }))
            return i;
    }
    return forms.size();
}

bool opensQuote(QStringView text, qsizetype p)
{
    if (p == 0)
        return true;
    const QChar before = text[p - 1];
    return before.isSpace() || before == u'(' || before == u'[' || before == u'{' ||
           before == QChar(0x2018) || before == QChar(0x201C);
}

} // namespace

PosClass posClass(PosTag tag)
{
    switch (tag) {
    case PosTag::Noun:
    case PosTag::PluralNoun:
        return PosClass::Noun;
    case PosTag::ProperNoun:
    case PosTag::PluralProperNoun:
        return PosClass::ProperNoun;
    case PosTag::Verb:
    case PosTag::VerbPast:
    case PosTag::VerbParticiple:
    case PosTag::VerbGerund:
    case PosTag::VerbThird:
        return PosClass::Verb;
    case PosTag::Adjective:
    case PosTag::Comparative:
    case PosTag::Superlative:
        return PosClass::Adjective;
    case PosTag::Adverb:
        return PosClass::Adverb;
    default:
        return PosClass::Other;
    }
}

QString posTagName(PosTag tag)
{
    const int i = int(tag);
    return i < posTagCount ? QString::fromUtf16(tagNames[size_t(i)]) : QString();
}

std::optional<PosTag> posTagFromName(QStringView name)
{
    for (int i = 0; i < posTagCount; ++i) {
        if (name == QStringView(tagNames[size_t(i)]))
            return PosTag(i);
    }
    return std::nullopt;
}

PosTagger::PosTagger(std::unique_ptr<PosModel> model) : m_model(std::move(model)) {}

PosTagger::~PosTagger() = default;

std::unique_ptr<PosTagger> PosTagger::load(const QString &path, QString *error)
{
    const auto fail = [&](const QString &why) -> std::unique_ptr<PosTagger> {
        if (error)
            *error = why;
        return nullptr;
    };
    // Mapped, not read: the tagger uses the file's tables where they lie, and
    // only the pages it touches are read from the disk.
    auto file = std::make_shared<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return fail(u"cannot open the tagger model %1: %2"_s.arg(path, file->errorString()));
    const qint64 size = file->size();
    if (size > maxModelSize)
        return fail(u"%1 is too large to be a tagger model"_s.arg(path));
    const uchar *bytes = size > 0 ? file->map(0, size) : nullptr;
    if (size > 0 && !bytes)
        return fail(u"cannot read the tagger model %1: %2"_s.arg(path, file->errorString()));
    QString why;
    std::optional<PosModel> model = PosModel::parse(
        QByteArrayView(reinterpret_cast<const char *>(bytes), size), std::move(file), &why);
    if (!model)
        return fail(u"%1: %2"_s.arg(path, why));
    return std::make_unique<PosTagger>(std::make_unique<PosModel>(std::move(*model)));
}

std::unique_ptr<PosTagger> PosTagger::fromBytes(const QByteArray &bytes, QString *error)
{
    std::optional<PosModel> model = PosModel::parse(bytes, error);
    if (!model)
        return nullptr;
    return std::make_unique<PosTagger>(std::make_unique<PosModel>(std::move(*model)));
}

QList<PosTag> PosTagger::tagSentence(const QStringList &tokens) const
{
    QStringList forms;
    forms.reserve(tokens.size());
    bool quoteOpen = false;
    for (const QString &token : tokens) {
        if (token == u"\"")
            quoteOpen = !quoteOpen;
        forms.append(PosFeatures::corpusForm(token, quoteOpen));
    }
    return tagForms(*m_model, forms);
}

QList<TaggedSpan> PosTagger::tagText(QStringView text) const
{
    struct Sentence
    {
        QList<PosTokenizer::Token> tokens;
        QStringList forms;
        QList<PosTag> tags;
    };
    QList<Sentence> sentences;
    QSet<QString> names;
    for (QList<PosTokenizer::Token> &tokens : PosTokenizer::sentences(text)) {
        Sentence s{std::move(tokens), {}, {}};
        s.forms.reserve(s.tokens.size());
        for (const PosTokenizer::Token &t : s.tokens) {
            s.forms.append(PosFeatures::corpusForm(text.sliced(t.start, t.end - t.start),
                                                   opensQuote(text, t.start)));
        }
        s.tags = tagForms(*m_model, s.forms);
        for (qsizetype i = firstWord(s.forms) + 1; i < s.forms.size(); ++i) {
            if (posClass(s.tags[i]) == PosClass::ProperNoun)
                names.insert(s.forms[i]);
        }
        sentences.append(std::move(s));
    }

    QList<TaggedSpan> spans;
    const std::vector<qsizetype> starts = scannerWordStarts(text);
    auto nextStart = starts.begin();
    for (Sentence &s : sentences) {
        // A capital at a sentence's start says nothing; the same word as a
        // name elsewhere in the article does ("Apple sells ... by Apple").
        if (const qsizetype first = firstWord(s.forms); first < s.forms.size()) {
            if (s.tags[first] == PosTag::Noun && names.contains(s.forms[first]))
                s.tags[first] = PosTag::ProperNoun;
            else if (s.tags[first] == PosTag::PluralNoun && names.contains(s.forms[first]))
                s.tags[first] = PosTag::PluralProperNoun;
        }
        for (qsizetype i = 0; i < s.tokens.size(); ++i) {
            const PosTokenizer::Token &t = s.tokens[i];
            while (nextStart != starts.end() && *nextStart <= t.start)
                ++nextStart;
            qsizetype pieceStart = t.start;
            for (; nextStart != starts.end() && *nextStart < t.end; ++nextStart) {
                spans.append({pieceStart, *nextStart, s.tags[i]});
                pieceStart = *nextStart;
            }
            spans.append({pieceStart, t.end, s.tags[i]});
        }
    }
    return spans;
}
