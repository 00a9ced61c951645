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
