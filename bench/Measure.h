#pragma once

#include "model/FileItem.h"
#include "platform/Clipboard.h"

#include <QStringList>

#include <functional>

// What both benchmark programs share: timing with repeats, the printed rows and a clipboard
// that goes nowhere.

class NoClipboard : public Clipboard {
public:
    void clear() override {}
    void setText(const QString&) override {}
};

// The options both programs take: --quick (fewer repeats) and --dir FOLDER (where the synthetic
// project is made; /dev/shm when it exists, because removing 150,000 files from a disk with
// discard enabled takes minutes).
struct BenchOptions {
    bool quick = false;
    int repeats = 7;
    QString parentFolder;

    static BenchOptions from(const QStringList& arguments);
};

struct Timing {
    double best = 0;
    double median = 0;
    // The same for the processor time of the calling thread: what the work itself cost, without
    // the time other processes held the processor.
    double cpuBest = 0;
    double cpuMedian = 0;
};

// Processor time of the calling thread, in milliseconds.
double threadCpuMs();

// Runs `setup` (not timed) and `work` (timed) `repeats` times; milliseconds.
Timing measure(int repeats, const std::function<void()>& setup, const std::function<void()>& work);

void printTiming(const char* label, const Timing& timing);
// One ratio against its target, marked "ok" or "OVER".
void printRatio(const char* label, double ratio, double target);

int countNodes(const FileItemList& nodes);
