#pragma once

#include <QString>

#include <optional>

// The four parts of speech of the thesaurus and of WordNet, and the names the
// dictionary's Type column uses for them.
enum class PartOfSpeech
{
    Noun,
    Verb,
    Adjective,
    Adverb
};

namespace PartsOfSpeech {

inline constexpr PartOfSpeech All[] = {PartOfSpeech::Noun, PartOfSpeech::Verb,
                                       PartOfSpeech::Adjective, PartOfSpeech::Adverb};

// The dictionary's Type name and WordNet's file suffix, in the enum's order.
inline constexpr QStringView TypeNames[] = {u"noun", u"verb", u"adjective", u"adverb"};
inline constexpr QStringView WordNetSuffixes[] = {u"noun", u"verb", u"adj", u"adv"};

inline QString typeName(PartOfSpeech pos)
{
    return TypeNames[int(pos)].toString();
}

// A thesaurus sense line starts with "(noun)", "(verb)", "(adj)" or "(adv)".
inline std::optional<PartOfSpeech> fromThesaurus(QStringView name)
{
    if (name == u"noun")
        return PartOfSpeech::Noun;
    if (name == u"verb")
        return PartOfSpeech::Verb;
    if (name == u"adj")
        return PartOfSpeech::Adjective;
    if (name == u"adv")
        return PartOfSpeech::Adverb;
    return std::nullopt;
}

// ss_type of a WordNet sense key: 1 noun, 2 verb, 3 adjective, 4 adverb,
// 5 adjective satellite.
inline std::optional<PartOfSpeech> fromSynsetType(QChar digit)
{
    switch (digit.unicode()) {
    case u'1':
        return PartOfSpeech::Noun;
    case u'2':
        return PartOfSpeech::Verb;
    case u'3':
    case u'5':
        return PartOfSpeech::Adjective;
    case u'4':
        return PartOfSpeech::Adverb;
    default:
        return std::nullopt;
    }
}

} // namespace PartsOfSpeech
