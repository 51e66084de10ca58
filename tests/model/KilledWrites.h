#pragma once

#include <QStringList>

// A process writing the preference file is killed (SIGKILL) at random moments, again and again;
// after every kill the file must hold exactly one of the two stores the process alternates
// between, and the next start must read it and leave no temporary file behind.
namespace KilledWrites {

// The writer: writes the small and the large store to `filePath` alternately until killed,
// printing one byte after every completed write.
int writeLoop(const QString& filePath);

struct Outcome {
    int kills = 0;
    int smallSeen = 0; // kills after which the file held the small store
    int largeSeen = 0;
    qint64 writes = 0; // writes completed in all
    double seconds = 0;
    QStringList failures; // one line per kill after which the file or its folder was wrong
};

// Kills `kills` writers, each started as `program childArguments... FILE`, with the store file
// inside `folder`; `seed` makes the kill moments repeatable.
Outcome run(const QString& program, const QStringList& childArguments, const QString& folder,
            int kills, quint32 seed);

} // namespace KilledWrites
