#include "model/ReferenceDate.h"

#include <chrono>
#include <cmath>

namespace ReferenceDate {

double now()
{
    using namespace std::chrono;
    const auto micros = duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
    return static_cast<double>(micros) / 1e6 - unixOffsetSeconds;
}

double fromDateTime(const QDateTime& moment)
{
    return static_cast<double>(moment.toMSecsSinceEpoch()) / 1000.0 - unixOffsetSeconds;
}

QDateTime toDateTime(double secondsSinceReference)
{
    const double msecs = std::round((secondsSinceReference + unixOffsetSeconds) * 1000.0);
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(msecs), Qt::UTC);
}

} // namespace ReferenceDate
