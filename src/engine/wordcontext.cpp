#include "engine/wordcontext.h"

#include "app/apppaths.h"
#include "dictionary/dictionary.h"
#include "engine/protectedspans.h"
#include "engine/store.h"

#include <QSet>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

bool isPastTag(QStringView name)
{
    return name == u"sp" || name == u"pp";
}

bool isVerbFormTag(QStringView name)
{
    return name == u"sp" || name == u"pp" || name == u"ip" || name == u"tp";
}

bool isNounTag(PosTag tag)
{
    return tag == PosTag::Noun || tag == PosTag::PluralNoun;
}

// Forms of have, be and get, after which a past form is a participle; "'s"
// and the like count too ("it's gone", "they've done").
bool isAuxiliaryForm(QStringView word)
{
    static const QSet<QString> forms = [] {
        QSet<QString> set;
        for (const char16_t *w :
             {u"have", u"has", u"had", u"having", u"be", u"is", u"are", u"was", u"were", u"been",
              u"being", u"am", u"get", u"gets", u"got", u"gotten", u"getting"})
            set.insert(QString::fromUtf16(w));
        return set;
    }();
    const QString lower = word.toString().toLower();
    if (forms.contains(lower))
        return true;
    for (const char16_t *ending : {u"'s", u"'re", u"'ve", u"'d", u"'m"}) {
        if (lower.endsWith(QStringView(ending)))
            return true;
    }
    return false;
}

// The token before index i, skipping adverbs ("has not yet done").
qsizetype previousNonAdverb(const ArticleContext &context, qsizetype i)
{
    for (qsizetype k = i - 1; k >= 0 && k >= i - 4; --k) {
        const PosTag tag = context.tokens[k].tag;
        if (tag != PosTag::Adverb)
            return k;
    }
    return -1;
}

// The word at i stands as an adjective before a noun: "a used car", "the
// required documents" (not "they ordered pizza").
bool standsBeforeNoun(const ArticleContext &context, qsizetype i)
{
    if (i + 1 >= context.tokens.size() || !isNounTag(context.tokens[i + 1].tag) ||
        context.tokens[i].tag == PosTag::VerbPast)
        return false;
    const qsizetype prev = previousNonAdverb(context, i);
    const PosTag before = prev >= 0 ? context.tokens[prev].tag : PosTag::Punctuation;
    return before == PosTag::Determiner || before == PosTag::Adjective ||
           before == PosTag::Preposition || before == PosTag::Number ||
           before == PosTag::Punctuation || before == PosTag::Conjunction;
}

// The past form is a participle: the tagger says so, a form of have, be or
// get comes before it, or it stands as an adjective before a noun.
bool wantsParticiple(const ArticleContext &context, qsizetype i, QStringView text)
{
    if (context.tokens[i].tag == PosTag::VerbParticiple)
        return true;
    const qsizetype prev = previousNonAdverb(context, i);
    if (prev >= 0) {
        const TaggedSpan &p = context.tokens[prev];
        if (isAuxiliaryForm(text.mid(p.start, p.end - p.start)))
            return true;
    }
    return standsBeforeNoun(context, i);
}

// The reading of a tag of several ("sp|pp:lie|lay") that fits the tagger's
// verdict; empty when none does.
QString matchingReading(QStringView names, QStringView bases, PosTag tag)
{
    const QList<QStringView> n = names.split(u'|');
    const QList<QStringView> b = bases.split(u'|');
    // The tag name each verdict of the tagger reads as.
    static constexpr std::pair<PosTag, QStringView> tagNames[] = {
        {PosTag::VerbPast, u"sp"},  {PosTag::VerbParticiple, u"pp"}, {PosTag::VerbGerund, u"ip"},
        {PosTag::VerbThird, u"tp"}, {PosTag::PluralNoun, u"pl"},
    };
    QStringView wanted;
    for (const auto &[verdict, name] : tagNames) {
        if (verdict == tag)
            wanted = name;
    }
    for (qsizetype k = 0; k < n.size() && k < b.size(); ++k) {
        if (n[k] == wanted || (wanted == u"pp" && n[k] == u"sp"))
            return n[k] + u':' + b[k];
    }
    return {};
}

} // namespace

const TaggedSpan *ArticleContext::tokenStartingAt(qsizetype position) const
{
    const auto it = tokenAt.constFind(position);
    return it == tokenAt.cend() ? nullptr : &tokens[*it];
}

const PosTagger *WordContext::sharedTagger()
{
    static const std::unique_ptr<PosTagger> tagger = [] {
        QString error;
        return PosTagger::load(AppPaths::taggerModel(), &error);
    }();
    return tagger.get();
}

ArticleContext WordContext::analyse(QStringView text, const PosTagger *tagger, bool protectNames)
{
    ArticleContext context;
    if (tagger) {
        context.tagged = true;
        context.tokens = tagger->tagText(text);
        context.tokenAt.reserve(context.tokens.size());
        for (qsizetype i = 0; i < context.tokens.size(); ++i)
            context.tokenAt.insert(context.tokens[i].start, i);
    }
    if (protectNames) {
        const ProtectedSpans::NameTest isName = [&context](qsizetype start, qsizetype) {
            const TaggedSpan *token = context.tokenStartingAt(start);
            return token &&
                   (token->tag == PosTag::ProperNoun || token->tag == PosTag::PluralProperNoun);
        };
        context.protectedSpans = ProtectedSpans::find(text, isName);
    }
    return context;
}

QString WordContext::typeAt(QStringView text, qsizetype position, const PosTagger *tagger)
{
    if (!tagger || position < 0 || position >= text.size())
        return {};
    // The sentence around position: back to the last sentence end or line
    // break, on to the next one, at most a few hundred characters each way.
    constexpr qsizetype Reach = 400;
    const auto endsSentence = [&](qsizetype k) {
        const QChar c = text[k];
        return c == u'\n' || c == u'\r' || c == u'.' || c == u'!' || c == u'?';
    };
    qsizetype from = position;
    while (from > 0 && position - from < Reach && !endsSentence(from - 1))
        --from;
    qsizetype to = position;
    while (to < text.size() && to - position < Reach && !endsSentence(to))
        ++to;
    if (to < text.size())
        ++to;
    for (const TaggedSpan &token : tagger->tagText(text.mid(from, to - from))) {
        if (token.start + from == position)
            return typeFor(token.tag);
    }
    return {};
}

bool WordContext::hasMainSenses(Dictionary &dictionary)
{
    QList<QStringList> rows;
    return dictionary.execute(
               u"SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'MainSense'"_s, {},
               &rows) &&
           !rows.isEmpty();
}

int WordContext::mainSenseCount(Dictionary &dictionary, const QString &word, const QString &type)
{
    QList<QStringList> rows;
    // Without a type (a phrase led by a preposition: "in order"), the best of
    // the word's rows.
    const bool ok =
        type.isEmpty()
            ? dictionary.execute(u"SELECT MAX(Count) FROM MainSense WHERE Words = ?1"_s, {word},
                                 &rows)
            : dictionary.execute(u"SELECT Count FROM MainSense WHERE Words = ?1 AND Type = ?2"_s,
                                 {word, type}, &rows);
    if (!ok || rows.isEmpty() || rows.first().value(0).isEmpty())
        return -1;
    return rows.first().value(0).toInt();
}

QString WordContext::typeFor(PosTag tag)
{
    switch (posClass(tag)) {
    case PosClass::Noun:
        return u"noun"_s;
    case PosClass::Verb:
        return tag == PosTag::Modal ? QString() : u"verb"_s;
    case PosClass::Adjective:
        return u"adjective"_s;
    case PosClass::Adverb:
        return tag == PosTag::Particle ? QString() : u"adverb"_s;
    default:
        return {};
    }
}

namespace {

// "help you run", "let them go", "made him laugh": a bare infinitive after the
// verb and its object, which the verb's synonyms cannot take (assist, allow, force).
bool takesBareInfinitive(const ArticleContext &context, qsizetype index, QStringView verb)
{
    if (verb != u"help" && verb != u"let" && verb != u"make")
        return false;
    const auto tagAt = [&](qsizetype k) {
        return k < context.tokens.size() ? context.tokens[k].tag : PosTag::Punctuation;
    };
    const PosTag next = tagAt(index + 1);
    const bool object = next == PosTag::Pronoun || next == PosTag::ProperNoun || isNounTag(next);
    return next == PosTag::Verb || (object && tagAt(index + 2) == PosTag::Verb);
}

// The reading of the entry in its sentence, before the checks of its neighbours.
EntryReading readingInSentence(const StoreEntry &entry, QStringView text,
                               const ArticleContext &context, Dictionary &dictionary)
{
    using WordContext::typeFor;
    EntryReading reading;
    const qsizetype colon = entry.tag.indexOf(u':');
    const QString names = colon >= 0 ? entry.tag.left(colon) : QString();
    const QString bases = colon >= 0 ? entry.tag.mid(colon + 1) : QString();
    reading.tag = entry.tag;
    reading.lookup = colon >= 0 ? bases : entry.text;
    if (ProtectedSpans::overlaps(context.protectedSpans, entry.start, entry.end)) {
        reading.skip = true;
        return reading;
    }
    if (!context.tagged)
        return reading;
    const qsizetype index = context.tokenAt.value(entry.start, -1);
    if (index < 0)
        return reading; // a word the tagger split otherwise: no verdict
    const PosTag tag = context.tokens[index].tag;
    const bool phrase = entry.text.contains(u' ');
    // A past form standing where a participle belongs takes the participle.
    const auto pastOrParticiple = [&](const QString &name, const QString &base) -> QString {
        const QString form =
            name == u"sp" && wantsParticiple(context, index, text) ? u"pp"_s : name;
        return form + u':' + base;
    };

    if (names.contains(u'|')) {
        const QString chosen = matchingReading(names, bases, tag);
        if (chosen.isEmpty()) {
            // No form reading fits: the word as itself, in its own part of speech.
            reading.tag.clear();
            reading.lookup = entry.text;
            reading.type = typeFor(tag);
            reading.skip = reading.type.isEmpty();
            return reading;
        }
        const qsizetype at = chosen.indexOf(u':');
        reading.lookup = chosen.mid(at + 1);
        reading.tag = pastOrParticiple(chosen.left(at), reading.lookup);
        reading.type = u"verb"_s;
        if (chosen.startsWith(u"pl"))
            reading.type = u"noun"_s;
        return reading;
    }

    if (isVerbFormTag(names)) {
        // "peace talks", "spare parts": a plural noun whose own row (a
        // plural-only headword) lists singular words; its noun bends instead.
        if (names == u"tp" && tag == PosTag::PluralNoun && !phrase &&
            !dictionary.synonyms(bases, u"noun"_s).isEmpty()) {
            reading.tag = u"pl:"_s + bases;
            reading.type = u"noun"_s;
            return reading;
        }
        // The sentence may read a form as a word of its own: "a saw", "the left
        // hand", "a found object" keep their own noun or adjective rows; so does
        // a participle before a noun ("a used car" is secondhand, not employed).
        const QString own =
            isPastTag(names) && standsBeforeNoun(context, index) ? u"adjective"_s : typeFor(tag);
        if (!phrase && (own == u"noun" || own == u"adjective") &&
            !dictionary.synonyms(entry.text, own).isEmpty()) {
            reading.tag.clear();
            reading.lookup = entry.text;
            reading.type = own;
            return reading;
        }
        reading.type = u"verb"_s;
        if (isPastTag(names))
            reading.tag = pastOrParticiple(names, bases);
        return reading;
    }
    if (names == u"pl") {
        if (tag == PosTag::VerbThird) {
            reading.tag = u"tp:"_s + bases;
            reading.type = u"verb"_s;
        } else {
            reading.type = u"noun"_s;
        }
        return reading;
    }
    // The word itself, or its lower-case form ("if:"), or an untagged phrase.
    reading.type = typeFor(tag);
    if (reading.type.isEmpty())
        reading.skip = !phrase; // a phrase's first word says little about the phrase
    // A past the lookup leaves untagged is a verb whose past is its base (put,
    // cut, "put on"): its synonyms still take the past ("had put on": donned).
    if (names.isEmpty() && (tag == PosTag::VerbPast || tag == PosTag::VerbParticiple))
        reading.tag = pastOrParticiple(u"sp"_s, reading.lookup);
    return reading;
}

} // namespace

EntryReading WordContext::readingOf(const StoreEntry &entry, QStringView text,
                                    const ArticleContext &context, Dictionary &dictionary)
{
    EntryReading reading = readingInSentence(entry, text, context, dictionary);
    const qsizetype index = context.tokenAt.value(entry.start, -1);
    if (!reading.skip && index >= 0 && reading.type == u"verb" &&
        takesBareInfinitive(context, index, reading.lookup))
        reading.skip = true;
    return reading;
}
