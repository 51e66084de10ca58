#pragma once

#include <QAbstractScrollArea>
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
    QWidget* window = area->window();
    struct Stop {
        QWidget* widget;
        QRect rect;
    };
    QList<Stop> stops;
    QWidget* widget = window;
    do {
        widget = widget->nextInFocusChain();
        const bool inside = widget == area || area->isAncestorOf(widget);
        if (inside && widget->isVisibleTo(window) && widget->isEnabled() &&
            (widget->focusPolicy() & Qt::TabFocus) && !widget->focusProxy())
            stops.append({widget, QRect(widget->mapTo(window, QPoint(0, 0)), widget->size())});
    } while (widget != window);

    QStringList problems;
    const auto name = [](QWidget* w) {
        return QStringLiteral("%1 (%2)").arg(w->objectName(),
                                             QString::fromLatin1(w->metaObject()->className()));
    };
    for (const Stop& stop : std::as_const(stops))
        if (qobject_cast<QScrollArea*>(stop.widget))
            problems << QStringLiteral("scroll area is a Tab stop: ") + name(stop.widget);
    if (stops.isEmpty())
        return problems;
    const auto first =
        std::min_element(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) {
            return std::pair(a.rect.top(), a.rect.left()) < std::pair(b.rect.top(), b.rect.left());
        });
    std::rotate(stops.begin(), first, stops.end());
    for (qsizetype i = 1; i < stops.size(); ++i) {
        const QRect& a = stops[i - 1].rect;
        const QRect& b = stops[i].rect;
        const bool sameLine = a.top() < b.bottom() && b.top() < a.bottom();
        // Below, further right on the same line, or in a column of its own to the right.
        const bool inOrder =
            sameLine ? b.left() > a.left() : b.top() >= a.bottom() || b.left() > a.right();
        if (!inOrder)
            problems << name(stops[i - 1].widget) + QStringLiteral(" before ") +
                            name(stops[i].widget);
    }
    return problems;
}
