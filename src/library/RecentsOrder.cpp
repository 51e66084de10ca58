#include "library/RecentsOrder.h"

#include <algorithm>

namespace RecentsOrder {

QString lastPathComponent(const QString& path)
{
    qsizetype end = path.size();
    while (end > 0 && path[end - 1] == u'/')
        --end;
    if (end == 0)
        return path.isEmpty() ? QString() : QStringLiteral("/");
    const qsizetype slash = path.lastIndexOf(u'/', end - 1);
    return path.mid(slash + 1, end - slash - 1);
}

QCollator naturalNameCollator(const QLocale& locale)
{
    const bool bare = locale.language() == QLocale::C;
    QCollator collator(bare ? QLocale(QLocale::English) : locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

bool comesBefore(const RecentFolder& a, const RecentFolder& b, const QCollator& collator)
{
    if (a.isPinned != b.isPinned)
        return a.isPinned;
    if (!a.isPinned)
        return a.lastAccessed > b.lastAccessed;
    return collator.compare(lastPathComponent(a.path), lastPathComponent(b.path)) < 0;
}

void sort(QList<RecentFolder>& folders, const QCollator& collator)
{
    std::stable_sort(
        folders.begin(), folders.end(),
        [&](const RecentFolder& a, const RecentFolder& b) { return comesBefore(a, b, collator); });
}

} // namespace RecentsOrder
