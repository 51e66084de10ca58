#pragma once

#include <QDateTime>

// Moments are kept as seconds since 2001-01-01 00:00:00 UTC in a double, the form the stored
// records use, so a value read from a file is written back bit for bit.
namespace ReferenceDate {

// 2001-01-01 00:00:00 UTC in seconds since the Unix epoch.
inline constexpr double unixOffsetSeconds = 978307200.0;

double now();
double fromDateTime(const QDateTime& moment);
QDateTime toDateTime(double secondsSinceReference);

} // namespace ReferenceDate
