#pragma once

#include <QString>

#include <functional>

// The application's log lines (failures it carries on from). They go to standard output unless
// a sink is installed, for example by a test or by the command-line tool, which sends them to
// standard error so they never mix with the text it prints.
namespace Log {

using Sink = std::function<void(const QString& line)>;

void line(const QString& text);

// Installs `sink` (an empty function restores standard output) and returns the previous one.
Sink setSink(Sink sink);

void toStandardOutput(const QString& text);
void toStandardError(const QString& text);

} // namespace Log
