#pragma once

#include <QString>

// Why an update check gave no answer about versions. `message()` is the sentence shown to the
// user when a check that the user started fails.
class UpdateError {
public:
    enum class Kind {
        // This build carries no feed address.
        NoFeedConfigured,
        // The feed address (or a redirect target) is neither https nor on this machine, or is
        // not an address at all; nothing was sent.
        RefusedAddress,
        // The server could not be reached: no network, unknown host, connection refused, TLS
        // failure. `detail` holds the network layer's description.
        NetworkFailure,
        // No complete answer within the time limit.
        TimedOut,
        // The server answered with a status outside 2xx; `httpStatus` holds it and `detail` the
        // reason phrase, if any.
        HttpStatus,
        // The answer is not a release: not JSON, no usable "tag_name" or "html_url", or too
        // large. `detail` says what is wrong.
        BadAnswer,
    };

    UpdateError() = default;
    UpdateError(Kind kind, QString detail, int httpStatus = 0)
        : m_kind(kind)
        , m_detail(std::move(detail))
        , m_httpStatus(httpStatus)
    {}

    Kind kind() const { return m_kind; }
    const QString& detail() const { return m_detail; }
    int httpStatus() const { return m_httpStatus; }

    QString message() const;

private:
    Kind m_kind = Kind::NoFeedConfigured;
    QString m_detail;
    int m_httpStatus = 0;
};
