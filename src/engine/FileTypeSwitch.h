#pragma once

#include <QMetaType>
#include <QString>

// One entry of the engine's file-type table: an extension with its leading dot, and whether the
// scan takes files ending with it.
struct FileTypeSwitch {
    Q_GADGET
    Q_PROPERTY(QString extension MEMBER extension)
    Q_PROPERTY(bool enabled MEMBER enabled)

public:
    QString extension;
    bool enabled = false;

    friend bool operator==(const FileTypeSwitch& a, const FileTypeSwitch& b)
    {
        return a.extension == b.extension && a.enabled == b.enabled;
    }
};

Q_DECLARE_METATYPE(FileTypeSwitch)
