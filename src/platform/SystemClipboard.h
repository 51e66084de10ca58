#pragma once

#include "platform/Clipboard.h"

// The desktop clipboard reached through QGuiApplication::clipboard().
class SystemClipboard : public Clipboard {
public:
    void clear() override;
    void setText(const QString& text) override;
};
