#pragma once

#include <QStringList>

// rewordix-cli update-check [--url URL]: one line, "update available: <published>
// (this is <own>)" or "up to date: <own>" (exit 0), or "check failed: <reason>"
// (exit 1). Without --url the folder is Config.ini's "Update URL", else the
// address chosen at build time.
int runUpdateCheckCommand(const QStringList &args);
