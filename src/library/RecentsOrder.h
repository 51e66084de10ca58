#pragma once

#include "model/RecentFolder.h"

#include <QCollator>
#include <QList>
#include <QLocale>
#include <QString>

// The order in which remembered projects are held and stored: pinned projects first, by the
// natural order of their folder names, then the others, most recently opened first.
namespace RecentsOrder {

// The text after the last "/" of a path text, ignoring trailing slashes ("/a/b/" -> "b"); "/"
// stays "/", and a text without "/" is its own last component.
QString lastPathComponent(const QString& path);

// A collator for the natural name order (as file managers sort) in `locale`: case-insensitive, runs
// of digits compared by their value ("Project 2" before "project 10"). The bare C locale has no
// such rules, so it is replaced by English, whose rules equal the root collation.
QCollator naturalNameCollator(const QLocale& locale = QLocale());

// True when `a` comes before `b`: pinned before unpinned; two pinned by the names of their last
// path components under `collator`; two unpinned newest `lastAccessed` first.
bool comesBefore(const RecentFolder& a, const RecentFolder& b, const QCollator& collator);

// Sorts `folders` into that order, keeping the relative order of records that compare equal.
void sort(QList<RecentFolder>& folders, const QCollator& collator);

} // namespace RecentsOrder
