#pragma once

#include "FakeServices.h"
#include "TempPreferences.h"

#include "engine/PlexorViewModel.h"
#include "platform/Log.h"

#include <memory>

// Engines over a preference file of their own and a clipboard that records its calls; every
// engine made by one fixture shares both, as the windows of one run do.
struct TestEngine {
    TempPreferences store;
    FakeClipboard clipboard;

    std::unique_ptr<PlexorViewModel> make()
    {
        return std::make_unique<PlexorViewModel>(store.preferences, clipboard);
    }
};

// "a,b/c" as the list {"a", "b/c"}, for tables of relative paths.
inline QStringList pathList(const char* commaSeparated)
{
    return QString::fromUtf8(commaSeparated).split(u',', Qt::SkipEmptyParts);
}

// Collects the log lines written during its lifetime.
struct LogCapture {
    QStringList lines;
    Log::Sink previous = Log::setSink([this](const QString& line) { lines << line; });
    ~LogCapture() { Log::setSink(previous); }
};
