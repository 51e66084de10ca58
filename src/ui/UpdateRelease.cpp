#include "ui/UpdateRelease.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

std::optional<UpdateRelease> UpdateRelease::fromJson(const QByteArray& json, QString* problem)
{
    const auto fail = [problem](const QString& why) {
        if (problem)
            *problem = why;
        return std::nullopt;
    };

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return fail(QStringLiteral("it is not valid JSON (%1 at offset %2)")
                        .arg(parseError.errorString())
                        .arg(parseError.offset));
    if (!document.isObject())
        return fail(QStringLiteral("it is not a JSON object"));
    const QJsonObject object = document.object();

    const QJsonValue tag = object.value(QLatin1StringView("tag_name"));
    if (!tag.isString() || tag.toString().trimmed().isEmpty())
        return fail(QStringLiteral("it has no release tag (\u201ctag_name\u201d)"));
    // A tag is a version number of a few characters; a longer one is not quoted back to the user
    // nor shown as a version.
    if (const qsizetype length = tag.toString().size(); length > maximumTagLength)
        return fail(QStringLiteral("the release tag is %1 characters long (at most %2 are read)")
                        .arg(length)
                        .arg(maximumTagLength));
    const std::optional<VersionNumber> version = VersionNumber::parse(tag.toString());
    if (!version)
        return fail(QStringLiteral("the release tag \u201c%1\u201d is not a version number")
                        .arg(tag.toString()));

    const QJsonValue page = object.value(QLatin1StringView("html_url"));
    const QUrl pageUrl(page.toString(), QUrl::StrictMode);
    if (!page.isString() || !pageUrl.isValid() ||
        pageUrl.scheme().compare(QLatin1StringView("https"), Qt::CaseInsensitive) != 0 ||
        pageUrl.host().isEmpty())
        return fail(QStringLiteral("it has no https release page (\u201chtml_url\u201d)"));

    const QJsonValue body = object.value(QLatin1StringView("body"));
    if (!body.isString() && !body.isNull() && !body.isUndefined())
        return fail(QStringLiteral("its release notes (\u201cbody\u201d) are not text"));

    UpdateRelease release;
    release.m_version = *version;
    release.m_tagName = tag.toString();
    release.m_pageUrl = pageUrl;
    release.m_notes = body.toString();
    return release;
}
