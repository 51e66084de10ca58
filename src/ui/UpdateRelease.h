#pragma once

#include "ui/VersionNumber.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// The newest release as a release feed describes it. The feed answers with one JSON object in
// the common releases form, of which three members are read:
//
//   "tag_name"  the release's tag, a version number with an optional "v" ("v1.2.0", "1.2")
//   "html_url"  the release's web page; only an https address is accepted, since it is handed
//               to the desktop to open
//   "body"      the release notes as plain text; may be absent or null
//
// Every other member is ignored.
class UpdateRelease {
public:
    // The longest "tag_name" accepted.
    static constexpr qsizetype maximumTagLength = 100;

    // None, with `problem` describing why, when `json` is not such an object.
    static std::optional<UpdateRelease> fromJson(const QByteArray& json, QString* problem);

    const VersionNumber& version() const { return m_version; }
    const QString& tagName() const { return m_tagName; }
    const QUrl& pageUrl() const { return m_pageUrl; }
    const QString& notes() const { return m_notes; }

private:
    VersionNumber m_version;
    QString m_tagName;
    QUrl m_pageUrl;
    QString m_notes;
};
