#pragma once

#include <QStringList>

// rewordix-cli magic FILE [--page URL] [--check URL] [-o OUT]: Magic Rewrite
// without a window. Prints the rewritten article (UTF-8) or writes it to OUT;
// 0 done, 1 failed (refused, timed out, a translator fault), 2 misused.
int runMagicCommand(const QStringList &args);

// The web page translator needs a QGuiApplication: true when args ask for it.
[[nodiscard]] bool magicNeedsGui(const QStringList &args);

inline constexpr char MagicSynopsis[] =
    "magic FILE [OPT]     the article rewritten through a chain of translations, offline by\n"
    "                       Apertium, or --page URL on a web translation page (--check URL\n"
    "                       tests the network first); -o OUT instead of standard output";
