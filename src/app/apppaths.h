#pragma once

#include <QString>

// Where the program's files live. The install folder holds what ships:
// Language/, the dictionary, the tagger model, the handbook and the icon. It is
// the executable's own folder when those files sit beside it (the build tree,
// a folder copied whole), else <prefix>/share/rewordix of an installed
// package, found relative to the executable so that a moved prefix works.
// The working folder holds what the program writes: Config.ini, temp.dat,
// replacedtemp.dat and temp/. It is the executable's folder only in the first
// layout and only when that folder is writable; an installed layout is always
// treated as read-only (root can write /usr/bin, but must not litter it).
namespace AppPaths {

// Sets both folders; installDir may be the executable's folder, which is
// resolved to the folder of the shipped files (shippedDataDir). The program
// makes the working folder its current directory, since the working files
// are addressed by bare names; the command line keeps its own so that file
// arguments resolve as typed.
void initialise(const QString &installDir, const QString &workDir, bool makeCurrent = true);

// The folder that holds the shipped files for a program in programDir:
// programDir itself when Language/English.ini or the dictionary is there,
// else the installed share/rewordix beside its bin/ when that exists, else
// programDir.
[[nodiscard]] QString shippedDataDir(const QString &programDir);

// The executable's folder itself when it holds the shipped files and files
// can be created in it, otherwise the per-user data folder
// ($XDG_DATA_HOME/Rewordix, created when missing).
[[nodiscard]] QString chooseWorkDir(const QString &programDir);

[[nodiscard]] QString installDir();
[[nodiscard]] QString workDir();

[[nodiscard]] QString configFile();        // Config.ini
[[nodiscard]] QString languageDir();       // Language/ of the install folder
[[nodiscard]] QString defaultDictionary(); // SysFuns.dll of the install folder
[[nodiscard]] QString taggerModel();       // tagger.model of the install folder
[[nodiscard]] QString storeFile();         // temp.dat
[[nodiscard]] QString replacedStoreFile(); // replacedtemp.dat
[[nodiscard]] QString articlesDir();       // temp/

} // namespace AppPaths
