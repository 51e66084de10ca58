#pragma once

#include <QString>

// Token counts as the screens show them.
namespace TokenCountText {

// A short form for tight places: "482", "48.2k", "482k", "1.3M" (one decimal below 100 of a
// unit, none above, rounded to the nearest).
QString compact(qint64 tokens);

// The preview's form with the locale's digit grouping: "48,213 tokens", "1 token".
QString full(qint64 tokens);

} // namespace TokenCountText
