#include "Measure.h"

#include <QDir>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

BenchOptions BenchOptions::from(const QStringList& arguments)
{
    BenchOptions options;
    options.quick = arguments.contains(QStringLiteral("--quick"));
    options.repeats = options.quick ? 3 : 7;
    options.parentFolder =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    const qsizetype dirArgument = arguments.indexOf(QStringLiteral("--dir"));
    if (dirArgument > 0 && dirArgument + 1 < arguments.size())
        options.parentFolder = arguments.at(dirArgument + 1);
    return options;
}

Timing measure(int repeats, const std::function<void()>& setup, const std::function<void()>& work)
{
    std::vector<double> times;
    std::vector<double> cpuTimes;
    for (int i = 0; i < repeats; ++i) {
        setup();
        QElapsedTimer timer;
        const double cpuStart = threadCpuMs();
        timer.start();
        work();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        cpuTimes.push_back(threadCpuMs() - cpuStart);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    return Timing{times.front(), times[times.size() / 2], cpuTimes.front(),
                  cpuTimes[cpuTimes.size() / 2]};
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

void printTiming(const char* label, const Timing& timing)
{
    std::printf("  %-52s best %8.1f ms   median %8.1f ms   (thread time %.1f / %.1f ms)\n", label,
                timing.best, timing.median, timing.cpuBest, timing.cpuMedian);
}

void printRatio(const char* label, double ratio, double target)
{
    std::printf("  %-52s %6.2fx   (target <= %.1fx) %s\n", label, ratio, target,
                ratio <= target ? "ok" : "OVER");
}

int countNodes(const FileItemList& nodes)
{
    int count = 0;
    for (const auto& node : nodes)
        count += 1 + countNodes(node->children());
    return count;
}
