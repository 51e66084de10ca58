#pragma once

#include <QString>

// The system clipboard as the engine uses it: clear it, then put one plain text on it.
class Clipboard {
public:
    virtual ~Clipboard() = default;

    virtual void clear() = 0;
    virtual void setText(const QString& text) = 0;

    // The desktop clipboard. Does nothing in a process without a GUI application object.
    static Clipboard& system();
};
