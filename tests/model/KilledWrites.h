#pragma once

#include <QString>
#include <QStringList>

// A process writing the preference file is killed (SIGKILL) at random moments, again and again;
// after every kill the file must hold exactly one of the two stores the process alternates
// between, and the next start must read it and leave no temporary file behind.
namespace KilledWrites {

// The writing process: makes the store at `filePath`, then writes the small and the large store
// alternately until killed, printing one byte to standard output after every completed write.
int writeLoop(const QString& filePath);

struct Outcome {
    int kills = 0;
    // How often the file held the small and the large store after a kill.
    int smallSeen = 0;
    int largeSeen = 0;
    // Writes the process completed in all, and how long the whole run took.
    qint64 writes = 0;
    double seconds = 0;
    // One line per kill after which the file or its folder was wrong.
    QStringList failures;
};

// Kills `kills` writing processes, each started as `program childArguments... FILE`, with a
// store file inside `folder`; `seed` makes the kill moments repeatable.
Outcome run(const QString& program, const QStringList& childArguments, const QString& folder,
            int kills, quint32 seed);

} // namespace KilledWrites
