#pragma once

#include <QByteArray>
#include <QString>

// Writes compact JSON the way the stored records need it: members in the order they are
// written (never sorted), "/" escaped as "\/", non-ASCII text as plain UTF-8, and doubles in
// the shortest form that reads back to the same value. QJsonDocument sorts members and does
// not escape slashes, so the stored forms are written with this instead.
class JsonWriter {
public:
    void beginArray();
    void endArray();
    void beginObject();
    void endObject();

    // Starts a member of the current object; the value written next belongs to it.
    void key(const QString& name);

    void value(const QString& text);
    void value(bool flag);
    void value(double number);

    const QByteArray& bytes() const { return m_out; }

private:
    void separate();
    void writeString(const QString& text);

    QByteArray m_out;
    bool m_needsComma = false;
};
