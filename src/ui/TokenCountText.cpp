#include "ui/TokenCountText.h"

#include <QLocale>

namespace TokenCountText {

QString compact(qint64 tokens)
{
    if (tokens < 1000)
        return QString::number(tokens);
    // Thousands up to what rounds to 999k, so that 999,600 reads "1M" rather than "1000k".
    const auto shortForm = [](qint64 value, qint64 unit, QChar suffix) -> QString {
        const qint64 tenths = (value * 10 + unit / 2) / unit;
        if (tenths < 1000) {
            QString text = QString::number(tenths / 10) + u'.' + QString::number(tenths % 10);
            if (text.endsWith(u".0"))
                text.chop(2);
            return text + suffix;
        }
        return QString::number((value + unit / 2) / unit) + suffix;
    };
    if ((tokens + 500) / 1000 < 1000)
        return shortForm(tokens, 1000, u'k');
    return shortForm(tokens, 1000000, u'M');
}

QString full(qint64 tokens)
{
    return QLocale().toString(tokens) + (tokens == 1 ? QStringLiteral(" token")
                                                     : QStringLiteral(" tokens"));
}

} // namespace TokenCountText
