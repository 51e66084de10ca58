#include "ui/UpdateError.h"

QString UpdateError::message() const
{
    switch (m_kind) {
    case Kind::NoFeedConfigured:
        return QStringLiteral(
            "This build of Code Plexor has no update feed, so it cannot check for updates.");
    case Kind::RefusedAddress:
        return QStringLiteral("The update feed address \u201c%1\u201d was refused: updates are "
                              "only checked over https.")
            .arg(m_detail);
    case Kind::NetworkFailure:
        return QStringLiteral("The update server could not be reached: %1.").arg(m_detail);
    case Kind::TimedOut:
        return QStringLiteral("The update server did not answer in time.");
    case Kind::HttpStatus:
        if (m_detail.isEmpty())
            return QStringLiteral("The update server answered with HTTP status %1.")
                .arg(m_httpStatus);
        return QStringLiteral("The update server answered with HTTP status %1 (%2).")
            .arg(m_httpStatus)
            .arg(m_detail);
    case Kind::BadAnswer:
        return QStringLiteral("The update server's answer could not be read: %1.").arg(m_detail);
    }
    return {};
}
