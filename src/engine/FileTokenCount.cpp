#include "engine/FileTokenCount.h"

#include "engine/TokenEncoding.h"

#include <QFile>

FileTokenCount FileTokenCount::ofFile(const QString& path, const std::atomic_bool* cancelled)
{
    FileTokenCount result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = file.errorString();
        return result;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.error = file.errorString();
        return result;
    }
    const std::optional<qint64> tokens =
        TokenEncoding::o200kBase().count(QByteArrayView(bytes), cancelled);
    if (tokens)
        result.tokens = *tokens;
    else if (!cancelled || !cancelled->load())
        result.error = QStringLiteral("The file is not valid UTF-8 text.");
    return result;
}
