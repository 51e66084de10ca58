#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What the engine's work is compared with: the plainest way to do the same input and output.
namespace BaselineIo {

// A recursive walk that stats every entry (without following links) and descends into every
// folder, except those named `skippedName` when it is not empty. Returns the number of entries.
qint64 walkAndStat(const QString& root, const QByteArray& skippedName = {});

// Reads every file of `paths` completely, one after the other, into one growing buffer.
// Returns the number of bytes read.
qint64 readAll(const QStringList& paths, QByteArray& buffer);

// The same, but with the buffer sized from the files' sizes first and backed by large pages,
// as the engine does with its text: the fair measure of the work apart from page faults.
qint64 readAllReserved(const QStringList& paths, QByteArray& buffer);

} // namespace BaselineIo
