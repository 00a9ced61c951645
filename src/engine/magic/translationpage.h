#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QObject;

// One translation page of the Magic Rewrite chain: a page that translates the
// text put into its source box into one target language. The chain polls it
// on every tick, so a page needs no signals; it must never block.
//
// Header-only on purpose: the web page backend is a plugin that implements
// these classes without linking the core library.
class TranslationPage
{
public:
    virtual ~TranslationPage() = default;

    // Loads the page that translates from `from` into `to` (two-letter codes;
    // a web page detects the source itself). Clears the ready flag; it is set
    // once exactly this load has finished in the top-level frame.
    virtual void navigate(const QString &from, const QString &to) = 0;
    // Empties the page (about:blank) and clears the ready flag.
    virtual void navigateBlank() = 0;
    [[nodiscard]] virtual bool isReady() const = 0;
    virtual void clearReady() = 0;

    // Sets the text of the source box, then presses the translate button.
    virtual void setSource(const QString &text) = 0;
    virtual void submit() = 0;
    // The text of the result box as far as it is known now; empty when the
    // box is missing or still empty. May start a fresh read for the next call.
    [[nodiscard]] virtual QString result() = 0;
    // Whether the page is still working; nullopt when that cannot be told.
    [[nodiscard]] virtual std::optional<bool> isBusy() = 0;
    // A fault that no later tick can mend (the translator cannot start), or empty.
    [[nodiscard]] virtual QString fault() const { return {}; }
};

// The three intermediate languages of one run; the chain goes
// English -> first -> second -> third -> English -> English.
struct LanguagePlan
{
    QString first;
    QString second;
    QString third;
};

// The pacing of a backend's chain: tick intervals, a factor on the pauses
// that give a web page time to settle, and the wait before a restore.
struct MagicTimings
{
    int firstTickMs = 300;
    int tickMs = 400;
    int pausePercent = 100;
    int restoreMs = 3000;
};

// A source of translation pages: the web page driver or the offline
// translator.
class TranslationBackend
{
public:
    virtual ~TranslationBackend() = default;

    // Why this backend cannot run at all (a browser engine too old for the
    // page script, no translator installed); empty when it can.
    [[nodiscard]] virtual QString unusableReason() const = 0;
    // True when unusableReason() is the browser engine's version.
    [[nodiscard]] virtual bool browserTooOld() const { return false; }
    // Calls done(true) when the translation service can be reached; done runs
    // later, on context's thread, and never after context is gone.
    virtual void checkConnection(QObject *context, std::function<void(bool ok)> done) = 0;
    [[nodiscard]] virtual LanguagePlan plan(qsizetype articleLength) const = 0;
    [[nodiscard]] virtual MagicTimings timings(qsizetype articleLength) const = 0;
    [[nodiscard]] virtual std::unique_ptr<TranslationPage> createPage() = 0;
};
