#include "model/Preferences.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString base64Member = QStringLiteral("base64");

QVariant variantFromJson(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::String:
        return value.toString();
    case QJsonValue::Bool:
        return value.toBool();
    case QJsonValue::Double:
        return value.toDouble();
    case QJsonValue::Object: {
        const QJsonObject object = value.toObject();
        const QJsonValue encoded = object.value(base64Member);
        if (object.size() == 1 && encoded.isString()) {
            auto decoded = QByteArray::fromBase64Encoding(encoded.toString().toLatin1(),
                                                          QByteArray::AbortOnBase64DecodingErrors);
            if (decoded)
                return *decoded;
        }
        break;
    }
    default:
        break;
    }
    // Kept as it stands so that a rewrite of the file loses nothing, but never read as a value.
    return QVariant::fromValue(value);
}

QJsonValue jsonFromVariant(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return value.toString();
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::QByteArray:
        return QJsonObject{{base64Member, QString::fromLatin1(value.toByteArray().toBase64())}};
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return value.toDouble();
    default:
        if (value.canConvert<QJsonValue>())
            return value.value<QJsonValue>();
        return QJsonValue(QJsonValue::Null);
    }
}

bool readJsonFile(QIODevice& device, QSettings::SettingsMap& map)
{
    const QByteArray content = device.readAll();
    if (content.trimmed().isEmpty())
        return true;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject object = document.object();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it)
        map.insert(it.key(), variantFromJson(it.value()));
    return true;
}

bool writeJsonFile(QIODevice& device, const QSettings::SettingsMap& map)
{
    QJsonObject object;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it)
        object.insert(it.key(), jsonFromVariant(it.value()));
    const QByteArray content = QJsonDocument(object).toJson(QJsonDocument::Indented);
    return device.write(content) == content.size();
}

QSettings::Format jsonFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("json"), readJsonFile, writeJsonFile);
    return format;
}

// Moves a file that is not a JSON object aside so that no write replaces it, and returns where it
// went (empty when the file is fine, missing, or could not be moved).
QString preserveIfCorrupt(const QString& filePath)
{
    QFile file(filePath);
    if (!file.exists() || !file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = file.readAll();
    file.close();
    if (content.trimmed().isEmpty())
        return {};
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(content, &error);
    if (error.error == QJsonParseError::NoError && document.isObject())
        return {};

    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString target = filePath + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target =
            filePath + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(filePath, target))
        return {};
    return target;
}

} // namespace

Preferences::Preferences(const QString& filePath, QObject* parent)
    : Preferences(filePath, Access::ReadWrite, parent)
{}

Preferences::Preferences(const QString& filePath, Access access, QObject* parent)
    : QObject(parent)
    , m_filePath(filePath)
    , m_access(access)
{
    if (access == Access::ReadWrite) {
        QDir().mkpath(QFileInfo(filePath).absolutePath());
        m_preservedCorruptFile = preserveIfCorrupt(filePath);
    }
    m_settings = std::make_unique<QSettings>(filePath, jsonFormat());
}

Preferences::~Preferences()
{
    if (m_access == Access::ReadWrite)
        m_settings->sync();
}

Preferences& Preferences::standard()
{
    static Preferences* store = new Preferences(defaultFilePath());
    return *store;
}

QString Preferences::defaultFilePath()
{
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || QDir::isRelativePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return configHome + QStringLiteral("/CodePlexor/CodePlexor.json");
}

std::optional<QString> Preferences::text(QLatin1StringView key) const
{
    return text(QString(key));
}

std::optional<QString> Preferences::text(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QByteArray> Preferences::bytes(QLatin1StringView key) const
{
    const QVariant value = m_settings->value(QString(key));
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
}

std::optional<bool> Preferences::boolean(QLatin1StringView key) const
{
    return boolean(QString(key));
}

std::optional<bool> Preferences::boolean(const QString& key) const
{
    const QVariant value = m_settings->value(key);
    if (value.typeId() != QMetaType::Bool)
        return std::nullopt;
    return value.toBool();
}

std::optional<double> Preferences::number(QLatin1StringView key) const
{
    const QVariant value = m_settings->value(QString(key));
    if (value.typeId() != QMetaType::Double)
        return std::nullopt;
    return value.toDouble();
}

void Preferences::setText(QLatin1StringView key, const QString& value)
{
    write(QString(key), value);
}

void Preferences::setText(const QString& key, const QString& value)
{
    write(key, value);
}

void Preferences::setBytes(QLatin1StringView key, const QByteArray& value)
{
    write(QString(key), value);
}

void Preferences::setBoolean(QLatin1StringView key, bool value)
{
    write(QString(key), value);
}

void Preferences::setBoolean(const QString& key, bool value)
{
    write(key, value);
}

void Preferences::setNumber(QLatin1StringView key, double value)
{
    write(QString(key), value);
}

void Preferences::write(const QString& key, const QVariant& value)
{
    if (m_access == Access::ReadOnly)
        return;
    m_settings->setValue(key, value);
    m_settings->sync();
    Q_EMIT changed(key);
}

void Preferences::remove(const QString& key)
{
    if (m_access == Access::ReadOnly)
        return;
    m_settings->remove(key);
    m_settings->sync();
    Q_EMIT changed(key);
}

bool Preferences::contains(const QString& key) const
{
    return m_settings->contains(key);
}

QStringList Preferences::allKeys() const
{
    return m_settings->allKeys();
}
