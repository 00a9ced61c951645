#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// Spintax, the common text form of spin templates: "{a|b|c}" chooses one
// alternative, groups nest, and "\{", "\|", "\}" and "\\" stand for the
// characters themselves.
namespace Spintax {

// A piece of an alternative: literal text, or the group with that index.
struct Piece
{
    QString text;
    int group = -1;
    qsizetype at = 0; // where text starts in Template::literals
};
using Sequence = QList<Piece>;

struct Group
{
    QList<Sequence> alternatives;
};

// Groups are numbered in the order their "{" appears.
struct Template
{
    Sequence root;
    QList<Group> groups;
    qsizetype longestText = 0; // the most characters a resolved text can have
    bool nested = false;       // a group inside an alternative
    // What resolve walks: every piece's text one after another, with room to
    // copy past the last one in whole blocks; the steps of each sequence side
    // by side, a step being size characters from at in literals and then,
    // unless group is -1, that group, whose count alternatives have their
    // ranges of steps from alternatives[first] on; and the root's range.
    QString literals;
    struct Step
    {
        qsizetype at = 0;
        qsizetype first = 0;
        int size = 0;
        int group = -1;
        int count = 0;
    };
    struct Range
    {
        qsizetype begin = 0;
        qsizetype end = 0;
        // Whether the text starts with a word that takes "an"; -1 when that
        // depends on the choices.
        int takesAn = -1;
    };
    QList<Step> steps;
    QList<Range> alternatives;
    Range rootSteps;
};

// The article template (own marks escaped as "[<]" "[!]" "[>]" "[[]") as
// spintax: its groups as they are, the article's own braces, bars and
// backslashes escaped.
[[nodiscard]] QString fromTemplate(QStringView escapedTemplate);

// nullopt with the reason when a "{" is not closed or a "}" not opened.
[[nodiscard]] std::optional<Template> parse(QStringView text, QString *error = nullptr);

// The alternatives of each group, in group order.
[[nodiscard]] QList<int> alternativeCounts(const Template &spin);
// How many different choice sequences reach a text, saturating at max.
[[nodiscard]] qint64 distinctChoices(const Template &spin, qint64 max);
// Groups no chosen alternative reaches get choice 0, so that two signatures
// that make the same choices are equal.
void canonicalise(const Template &spin, QList<int> &signature);
// The text for a signature (choices 1-based; out of range counts as 1). An
// "a" or "an" right before a group's text agrees with it ("an hour").
[[nodiscard]] QString resolve(const Template &spin, const QList<int> &signature);

} // namespace Spintax
