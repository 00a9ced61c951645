#include "browntags.h"

#include <QHash>
#include <QString>

using namespace Qt::Literals::StringLiterals;

namespace {

const QHash<QString, PosTag> &baseTags()
{
    using T = PosTag;
    static const QHash<QString, PosTag> table = {
        {u"nn"_s, T::Noun},
        {u"nns"_s, T::PluralNoun},
        {u"np"_s, T::ProperNoun},
        {u"nps"_s, T::PluralProperNoun},
        {u"nr"_s, T::Noun}, // home, today, west, Friday
        {u"nrs"_s, T::PluralNoun},

        {u"vb"_s, T::Verb},
        {u"vbd"_s, T::VerbPast},
        {u"vbn"_s, T::VerbParticiple},
        {u"vbg"_s, T::VerbGerund},
        {u"vbz"_s, T::VerbThird},
        {u"be"_s, T::Verb},
        {u"bem"_s, T::Verb},
        {u"ber"_s, T::Verb},
        {u"bez"_s, T::VerbThird},
        {u"bed"_s, T::VerbPast},
        {u"bedz"_s, T::VerbPast},
        {u"beg"_s, T::VerbGerund},
        {u"ben"_s, T::VerbParticiple},
        {u"do"_s, T::Verb},
        {u"dod"_s, T::VerbPast},
        {u"doz"_s, T::VerbThird},
        {u"hv"_s, T::Verb},
        {u"hvd"_s, T::VerbPast},
        {u"hvg"_s, T::VerbGerund},
        {u"hvn"_s, T::VerbParticiple},
        {u"hvz"_s, T::VerbThird},
        {u"md"_s, T::Modal},

        {u"jj"_s, T::Adjective},
        {u"jjr"_s, T::Comparative},
        {u"jjs"_s, T::Superlative},
        {u"jjt"_s, T::Superlative},
        {u"od"_s, T::Adjective}, // first, second
        {u"ap"_s, T::Adjective}, // many, other, next, last

        {u"rb"_s, T::Adverb},
        {u"rbr"_s, T::Adverb},
        {u"rbt"_s, T::Adverb},
        {u"rn"_s, T::Adverb},  // here, then
        {u"ql"_s, T::Adverb},  // very, too
        {u"qlp"_s, T::Adverb}, // enough, indeed
        {u"wql"_s, T::Adverb}, // how (long)
        {u"wrb"_s, T::Adverb}, // when, where, how
        {u"abl"_s, T::Adverb}, // quite, rather, such
        {u"*"_s, T::Adverb},   // not, n't
        {u"rp"_s, T::Particle},
        {u"to"_s, T::Particle}, // infinitive to

        {u"pn"_s, T::Pronoun},
        {u"pp"_s, T::Pronoun}, // pp$, pp$$ once the possessive mark is dropped
        {u"ppl"_s, T::Pronoun},
        {u"ppls"_s, T::Pronoun},
        {u"ppo"_s, T::Pronoun},
        {u"pps"_s, T::Pronoun},
        {u"ppss"_s, T::Pronoun},
        {u"wp"_s, T::Pronoun}, // wp$
        {u"wpo"_s, T::Pronoun},
        {u"wps"_s, T::Pronoun},
        {u"ex"_s, T::Pronoun}, // existential there

        {u"at"_s, T::Determiner},
        {u"abn"_s, T::Determiner}, // all, half
        {u"abx"_s, T::Determiner}, // both
        {u"dt"_s, T::Determiner},
        {u"dti"_s, T::Determiner},
        {u"dts"_s, T::Determiner},
        {u"dtx"_s, T::Determiner},
        {u"wdt"_s, T::Determiner},

        {u"in"_s, T::Preposition},
        {u"cc"_s, T::Conjunction},
        {u"cs"_s, T::Conjunction},
        {u"cd"_s, T::Number},

        {u"."_s, T::Punctuation},
        {u","_s, T::Punctuation},
        {u":"_s, T::Punctuation},
        {u"("_s, T::Punctuation},
        {u")"_s, T::Punctuation},
        {u"--"_s, T::Punctuation},
        {u"``"_s, T::Punctuation},
        {u"''"_s, T::Punctuation},
        {u"'"_s, T::Punctuation},

        {u"uh"_s, T::Other},
        {u"nil"_s, T::Other},
    };
    return table;
}

bool writtenWithDigits(QStringView word)
{
    return !word.isEmpty() && (word.front().isDigit() ||
                               (word.front() == u'$' && word.size() > 1 && word[1].isDigit()));
}

} // namespace

std::optional<PosTag> BrownTags::map(QStringView brownTag, QStringView word, bool sentenceStart)
{
    if (brownTag.startsWith(u"fw-"))
        return PosTag::Other;
    QStringView base = brownTag;
    if (const qsizetype plus = base.indexOf(u'+'); plus > 0)
        base = base.left(plus);
    bool title = false;
    for (bool stripped = true; stripped;) {
        stripped = false;
        for (QStringView mark : {u"-tl", u"-hl", u"-nc"}) {
            if (base.size() > mark.size() && base.endsWith(mark)) {
                title = title || mark == u"-tl";
                base.chop(mark.size());
                stripped = true;
            }
        }
    }
    while (base.size() > 1 && (base.endsWith(u'$') || base.endsWith(u'*')))
        base.chop(1);

    const auto it = baseTags().constFind(base.toString());
    if (it == baseTags().cend())
        return std::nullopt;
    PosTag tag = *it;
    if (title) {
        switch (tag) {
        case PosTag::PluralNoun:
            return PosTag::PluralProperNoun;
        case PosTag::Noun:
        case PosTag::Adjective:
        case PosTag::Comparative:
        case PosTag::Superlative:
        case PosTag::Verb:
        case PosTag::VerbPast:
        case PosTag::VerbParticiple:
        case PosTag::VerbGerund:
        case PosTag::VerbThird:
            return PosTag::ProperNoun;
        default:
            break;
        }
    }
    if ((tag == PosTag::Noun || tag == PosTag::PluralNoun) && writtenWithDigits(word))
        tag = PosTag::Number;
    else if (base == u"nr" && !sentenceStart && !word.isEmpty() && word.front().isUpper())
        tag = PosTag::ProperNoun;
    return tag;
}
