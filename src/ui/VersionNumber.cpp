#include "ui/VersionNumber.h"

#include <QStringView>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAllDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
    }
    return true;
}

QString withoutLeadingZeros(QStringView digits)
{
    qsizetype first = 0;
    while (first + 1 < digits.size() && digits.at(first) == u'0')
        ++first;
    return digits.mid(first).toString();
}

// Compares two digit strings without leading zeros by their numeric value, exactly, whatever
// their length.
int compareNumbers(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

// Splits a pre-release suffix into its pieces: at ".", "-" and "_", and wherever digits and
// other characters meet ("rc10" gives "rc", "10").
QStringList preReleasePieces(const QString& suffix)
{
    QStringList pieces;
    QString current;
    for (QChar c : suffix) {
        if (c == u'.' || c == u'-' || c == u'_') {
            if (!current.isEmpty())
                pieces.append(current);
            current.clear();
            continue;
        }
        if (!current.isEmpty() && isAsciiDigit(current.back()) != isAsciiDigit(c)) {
            pieces.append(current);
            current.clear();
        }
        current.append(c);
    }
    if (!current.isEmpty())
        pieces.append(current);
    return pieces;
}

int comparePreReleases(const QString& a, const QString& b)
{
    // A release (no suffix) is newer than any of its pre-releases.
    if (a.isEmpty() || b.isEmpty())
        return int(a.isEmpty()) - int(b.isEmpty());
    const QStringList left = preReleasePieces(a);
    const QStringList right = preReleasePieces(b);
    const qsizetype common = std::min(left.size(), right.size());
    for (qsizetype i = 0; i < common; ++i) {
        const bool leftNumeric = isAllDigits(left.at(i));
        const bool rightNumeric = isAllDigits(right.at(i));
        int result = 0;
        if (leftNumeric && rightNumeric)
            result =
                compareNumbers(withoutLeadingZeros(left.at(i)), withoutLeadingZeros(right.at(i)));
        else if (leftNumeric != rightNumeric)
            result = leftNumeric ? -1 : 1;
        else
            result = left.at(i).compare(right.at(i), Qt::CaseInsensitive);
        if (result != 0)
            return sign(result);
    }
    return sign(int(left.size() - right.size()));
}

} // namespace

std::optional<VersionNumber> VersionNumber::parse(const QString& text)
{
    QStringView rest = QStringView(text).trimmed();
    if (rest.startsWith(u'v') || rest.startsWith(u'V'))
        rest = rest.mid(1);
    if (const qsizetype plus = rest.indexOf(u'+'); plus >= 0)
        rest = rest.left(plus);

    VersionNumber version;
    qsizetype position = 0;
    while (true) {
        const qsizetype start = position;
        while (position < rest.size() && isAsciiDigit(rest.at(position)))
            ++position;
        if (position == start)
            return std::nullopt;
        version.m_components.append(withoutLeadingZeros(rest.mid(start, position - start)));
        // Another component follows only when the dot is followed by a digit; "1.2.beta"
        // is a pre-release of 1.2 written with a dot.
        if (position + 1 < rest.size() && rest.at(position) == u'.' &&
            isAsciiDigit(rest.at(position + 1))) {
            ++position;
            continue;
        }
        break;
    }

    QStringView suffix = rest.mid(position);
    if (!suffix.isEmpty()) {
        if (suffix.front() == u'-' || suffix.front() == u'.' || suffix.front() == u'_')
            suffix = suffix.mid(1);
        if (suffix.isEmpty() || !suffix.front().isLetterOrNumber())
            return std::nullopt;
        for (QChar c : suffix) {
            if (!c.isLetterOrNumber() && c != u'.' && c != u'-' && c != u'_')
                return std::nullopt;
        }
        version.m_preRelease = suffix.toString();
    }
    version.m_text = rest.toString();
    return version;
}

QString VersionNumber::toString() const
{
    return m_text;
}

int VersionNumber::compare(const VersionNumber& left, const VersionNumber& right)
{
    static const QString zero = QStringLiteral("0");
    const qsizetype count = std::max(left.m_components.size(), right.m_components.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QString& a = i < left.m_components.size() ? left.m_components.at(i) : zero;
        const QString& b = i < right.m_components.size() ? right.m_components.at(i) : zero;
        if (const int result = compareNumbers(a, b); result != 0)
            return sign(result);
    }
    return comparePreReleases(left.m_preRelease, right.m_preRelease);
}
