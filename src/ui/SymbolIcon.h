#pragma once

#include <QColor>
#include <QIcon>
#include <QPainterPath>
#include <QString>

#include <optional>

// The symbols the screens show, drawn by the application itself as vector paths so that every
// one of them exists on a fresh machine (whatever icon theme is installed) and can take the
// colour each screen gives it.
enum class Symbol {
    folderFill,
    docText,
    folderBadgePlus,
    plus,
    pinFill,
    gearshape,
    macwindow,
    circle1,
    circle2,
    circle3,
    arrowClockwise,
    arrowLeft,
    checkmark,
    docOnDoc,
    sparkles,
};

namespace SymbolIcon {

// An icon that paints `symbol` in `color` crisply at any size. An invalid colour paints in the
// palette's text colour of the widget state (normal or disabled).
QIcon icon(Symbol symbol, const QColor& color = QColor());

// Paints `symbol` into `rect` (square symbols are centred in it).
void paint(QPainter& painter, const QRectF& rect, Symbol symbol, const QColor& color);

// The symbol by its name ("folder.fill", "1.circle", ...); none for an unknown name.
std::optional<Symbol> fromName(const QString& name);

} // namespace SymbolIcon
