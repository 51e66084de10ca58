#pragma once

#include <QString>

// Two folders of one cloud-storage drive under which remembered projects are shown in a short
// form: `shortPrefix` is the drive's root folder, `longPrefix` the "Coding" folder of its
// projects folder (it begins with `shortPrefix` and ends with "/Coding/"). A folder below either
// one is remembered as ".../" followed by the rest of its path, the long prefix tried first.
//
// The build's values come from the CMake cache variables CODEPLEXOR_LONG_PREFIX and
// CODEPLEXOR_SHORT_PREFIX, empty by default. An empty prefix is skipped (it would otherwise match
// every path), so with both empty every path is kept whole.
struct CloudPathPrefixes {
    QString longPrefix;
    QString shortPrefix;

    // The values this build was configured with.
    static CloudPathPrefixes buildDefaults();

    // `folderPath` (absolute, any trailing "/" ignored) in its remembered form. An empty path
    // (no folder) gives the empty text. Prefixes are compared case-sensitively under canonical
    // equivalence; a prefix given without its trailing "/" is treated as if it had one, so that
    // /drive/Coding never claims /drive/Coding2.
    QString shorten(const QString& folderPath) const;
};
