#pragma once

#include "engine/magic/translationpage.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

// The offline translator: Debian's Apertium engine, one `apertium -u MODE`
// process per translation, through the language pairs that are installed.
// Needs no network; the connection check always passes.
class ApertiumBackend : public TranslationBackend
{
public:
    // program: the apertium executable (found on PATH when empty). modes:
    // the installed modes; asked of `apertium -l` when not given.
    explicit ApertiumBackend(QString program = {}, std::optional<QStringList> modes = std::nullopt);

    [[nodiscard]] QString unusableReason() const override;
    void checkConnection(QObject *context, std::function<void(bool ok)> done) override;
    // English -> X -> Y -> X -> English for long articles when X <-> Y is
    // installed, else English -> X -> English; X is Spanish when it can be.
    [[nodiscard]] LanguagePlan plan(qsizetype articleLength) const override;
    // Ticks sized to the text (50 ticks: at least 4 s, about 20 passes),
    // no settling pauses.
    [[nodiscard]] MagicTimings timings(qsizetype articleLength) const override;
    [[nodiscard]] std::unique_ptr<TranslationPage> createPage() override;

    // The installed mode that translates from into to (two-letter codes), or
    // empty.
    [[nodiscard]] QString modeFor(const QString &from, const QString &to) const;
    [[nodiscard]] const QString &program() const { return m_program; }

    // The modes `apertium -l` lists for program; empty when it cannot run.
    [[nodiscard]] static QStringList installedModes(const QString &program);

private:
    [[nodiscard]] bool hasPair(const QString &from, const QString &to) const;

    QString m_program;
    QSet<QString> m_modes;
};

namespace Apertium {

// A pass adds second blanks after some sentences and words: they go, except
// after a sentence's end when the text handed in had such blanks too.
[[nodiscard]] QString tidyBlanks(const QString &input, const QString &output);

} // namespace Apertium
