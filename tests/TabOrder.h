#pragma once

#include <QScrollArea>
#include <QStringList>
#include <QWidget>

#include <algorithm>

// What is wrong with the Tab order inside `area` (a screen of a window), as a user sees it: the
// stops Tab reaches there, from the top-left one, go top to bottom and, within a line, left to
// right; a column to the right comes after the whole block to its left. A scroll area that takes
// the focus itself (an invisible stop) is wrong too. Empty when all is well.
inline QStringList tabOrderProblems(QWidget* area)
{
    const auto name = [](QWidget* w) {
        return QStringLiteral("%1 (%2)").arg(w->objectName(),
                                             QLatin1StringView(w->metaObject()->className()));
    };
    QWidget* window = area->window();
    QStringList problems;
    QList<std::pair<QRect, QWidget*>> stops;
    QWidget* widget = window;
    do {
        widget = widget->nextInFocusChain();
        if (!(widget == area || area->isAncestorOf(widget)) || !widget->isVisibleTo(window) ||
            !widget->isEnabled() || !(widget->focusPolicy() & Qt::TabFocus) || widget->focusProxy())
            continue;
        stops.append({QRect(widget->mapTo(window, QPoint(0, 0)), widget->size()), widget});
        if (qobject_cast<QScrollArea*>(widget))
            problems << QStringLiteral("scroll area is a Tab stop: ") + name(widget);
    } while (widget != window);
    const auto topLeft = [](const auto& stop) {
        return std::pair(stop.first.top(), stop.first.left());
    };
    std::rotate(stops.begin(), std::ranges::min_element(stops, {}, topLeft), stops.end());
    for (qsizetype i = 1; i < stops.size(); ++i) {
        const QRect& a = stops[i - 1].first;
        const QRect& b = stops[i].first;
        const bool sameLine = a.top() < b.bottom() && b.top() < a.bottom();
        // Below, further right on the same line, or in a column of its own to the right.
        if (sameLine ? b.left() <= a.left() : b.top() < a.bottom() && b.left() <= a.right())
            problems << name(stops[i - 1].second) + QStringLiteral(" before ") +
                            name(stops[i].second);
    }
    return problems;
}
