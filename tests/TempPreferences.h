#pragma once

#include "model/Preferences.h"

#include <QTemporaryDir>

// A preference file of its own in a fresh temporary folder; both go with the fixture, so no test
// sees another's settings.
struct TempPreferences {
    QTemporaryDir dir;
    Preferences preferences{dir.filePath(QStringLiteral("CodePlexor.json"))};
};
