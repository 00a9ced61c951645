#pragma once

#include "dictionary/dictionary.h"

#include <QString>

#include <memory>

// Which dictionary the program opens and what it tells the user when it
// cannot: SysFuns.dll beside the executable (Synonyms scrambled), or in
// maintenance mode ("Enable Optimization=1" in Config.ini) the SourceDB file
// as written, plain and writable.
struct ProgramDictionary
{
    std::unique_ptr<Dictionary> dictionary;
    QString path;
    bool scrambled = true;
    // On failure: 1 (no dictionary file) or 2 (it cannot be used), the number of
    // the language file's message, and the reason for message 2.
    int messageNumber = 0;
    QString error;

    [[nodiscard]] bool isOpen() const { return dictionary != nullptr; }
    // The message to show for a failure, in the current language.
    [[nodiscard]] QString failureText() const;
};

[[nodiscard]] ProgramDictionary openProgramDictionary();
