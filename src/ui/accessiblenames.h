#pragma once

#include <QHash>
#include <QString>

class QWidget;

namespace AccessibleNames {

// Gives every control below root that takes the focus the name a screen
// reader announces, from the texts already on screen: the caption of the
// label that is its buddy, its own caption when that is a word, else its
// tooltip. given names a control outright. Called again after a language
// switch, so the names follow the captions.
void apply(QWidget *root, const QHash<QWidget *, QString> &given = {});

// A caption as it is read out: no access-key marks, no trailing colon.
[[nodiscard]] QString spoken(const QString &caption);

} // namespace AccessibleNames
