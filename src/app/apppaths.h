#pragma once

#include <QString>

// Where the program's files live. The install folder (the executable's) holds
// what ships: Language/, the dictionary and the tagger model. The working
// folder holds what the program writes: Config.ini, temp.dat,
// replacedtemp.dat and temp/. They are the same folder unless the install
// folder is not writable.
namespace AppPaths {

// Sets both folders. The program makes the working folder its current
// directory, since the working files are addressed by bare names; the
// command line keeps its own so that file arguments resolve as typed.
void initialise(const QString &installDir, const QString &workDir, bool makeCurrent = true);

// The install folder itself when files can be created in it, otherwise the
// per-user data folder (created when missing).
[[nodiscard]] QString chooseWorkDir(const QString &installDir);

[[nodiscard]] QString installDir();
[[nodiscard]] QString workDir();

[[nodiscard]] QString configFile();        // Config.ini
[[nodiscard]] QString languageDir();       // Language/ beside the executable
[[nodiscard]] QString defaultDictionary(); // SysFuns.dll beside the executable
[[nodiscard]] QString taggerModel();       // tagger.model beside the executable
[[nodiscard]] QString storeFile();         // temp.dat
[[nodiscard]] QString replacedStoreFile(); // replacedtemp.dat
[[nodiscard]] QString articlesDir();       // temp/

} // namespace AppPaths
