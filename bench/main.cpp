// Measures the collection engine on a large synthetic project against the plainest code doing
// the same input and output:
//   - loadFiles against a recursive walk that stats every entry;
//   - generateContent against reading the same files into one buffer;
//   - counting the generated text's tokens, against reading the same files;
//   - the peak heap the scan uses per tree node;
//   - loadFiles with "Respect .gitignore" on against off, once the project is a git repository;
//   - the peak heap of streamed generation (plexor generate) against the whole text;
//   - one keystroke in the prefix with a 4 MiB preference store against one write of that store.
// Run: build/bench/codeplexor_bench [--quick] [--dir FOLDER]
//
// The project is written into a temporary folder under FOLDER, by default /dev/shm when it
// exists (a memory file system: quick to write and remove, and it measures the work of the code
// rather than the disk), otherwise the system's temporary folder.

#include "BaselineIo.h"
#include "HeapUsage.h"
#include "SyntheticProject.h"

#include "engine/PlexorViewModel.h"
#include "engine/TokenEncoding.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"
#include "model/RecentFolder.h"
#include "platform/Clipboard.h"
#include "platform/FolderWalk.h"
#include "platform/Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

#include "Measure.h"

namespace {

// 20 remembered projects whose saved selections make about 4 MiB of stored list.
QByteArray largeRecentsList()
{
    QList<RecentFolder> folders;
    for (int project = 0; project < 20; ++project) {
        RecentFolder folder;
        folder.id = QUuid::createUuid();
        folder.path = QStringLiteral("/home/user/projects/project-%1").arg(project);
        folder.lastAccessed = project;
        QSet<QString> selected;
        for (int file = 0; file < 1800; ++file)
            selected.insert(QStringLiteral("/home/user/projects/project-%1/src/module-%2/"
                                           "component-%3/source-file-%4.ts")
                                .arg(project)
                                .arg(file / 100)
                                .arg(file / 10)
                                .arg(file));
        folder.savedSelectedPaths = std::move(selected);
        folders.append(folder);
    }
    return RecentFolderCodec::encode(folders);
}

// What the main thread spends on one keystroke in the prefix editor (the engine's text changes
// and is saved) while the store holds 4 MiB, next to one write of the whole store, which every
// keystroke cost while each change went to the file at once.
void measurePrefixKeystroke(int repeats, const QString& folder)
{
    Preferences store(folder + QStringLiteral("/keystroke.json"));
    const QByteArray recents = largeRecentsList();
    store.setBytes(PreferenceKeys::recentFoldersJson, recents);
    store.flush();
    NoClipboard clipboard;
    PlexorViewModel engine(store, clipboard);
    int typed = 0;
    const Timing keystroke = measure(
        repeats * 20, [] {},
        [&] {
            engine.setPrefixText(engine.prefixText() + QLatin1Char("ab"[++typed % 2]));
            engine.savePrefix();
        });
    const Timing write = measure(
        repeats, [&] { store.setText(PreferenceKeys::savedSuffixText, QString::number(++typed)); },
        [&] { store.flush(); });

    std::printf("Preference writes (store of %.1f MiB)\n",
                static_cast<double>(QFileInfo(store.filePath()).size()) / (1024.0 * 1024.0));
    printTiming("writing the whole store", write);
    std::printf("  %-44s %8.4f ms   (target <= 1 ms) %s\n", "prefix keystroke, median",
                keystroke.median, keystroke.median <= 1.0 ? "ok" : "OVER");
    std::printf("  %-44s %8.0fx\n\n", "one store write / one keystroke",
                write.median / std::max(keystroke.median, 1e-6));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList arguments = app.arguments();
    const BenchOptions options = BenchOptions::from(arguments);
    const int repeats = options.repeats;
    const QString parent = options.parentFolder;

    QTemporaryDir configDir;
    QTemporaryDir projectDir(parent + QStringLiteral("/codeplexor-bench-XXXXXX"));
    if (!configDir.isValid() || !projectDir.isValid()) {
        std::fprintf(stderr, "cannot create temporary folders\n");
        return 1;
    }
    Preferences preferences(configDir.filePath(QStringLiteral("prefs.json")));
    NoClipboard clipboard;
    Log::setSink([](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });

    measurePrefixKeystroke(repeats, configDir.path());

    SyntheticProject::Shape shape;
    SyntheticProject project(projectDir.filePath(QStringLiteral("project")), shape);
    std::printf("Writing the synthetic project into %s ...\n", qPrintable(project.root()));
    std::fflush(stdout);
    QElapsedTimer writeTimer;
    writeTimer.start();
    if (!QDir().mkpath(project.root()) || !project.write())
        return 1;
    std::printf("  %d files in %d folders (%d of them in node_modules), %.1f s\n",
                project.fileCount(), project.folderCount(),
                shape.dependencyPackages * shape.filesPerDependency,
                static_cast<double>(writeTimer.elapsed()) / 1000.0);
    std::printf("  selection: %lld files, %.1f MB\n\n",
                static_cast<long long>(project.selectedPaths().size()),
                static_cast<double>(project.selectedBytes()) / 1e6);

    const QString root = project.root();

    // --- Scan ---------------------------------------------------------------------------------
    // Warm the file system caches once, for both sides.
    const qint64 allEntries = BaselineIo::walkAndStat(root);
    const qint64 visitedEntries = BaselineIo::walkAndStat(root, "node_modules");

    std::printf("Scan (%lld entries in all, %lld outside node_modules)\n",
                static_cast<long long>(allEntries), static_cast<long long>(visitedEntries));
    const Timing plainWalk = measure(
        repeats, [] {}, [&] { BaselineIo::walkAndStat(root); });
    const Timing plainWalkSameEntries = measure(
        repeats, [] {}, [&] { BaselineIo::walkAndStat(root, "node_modules"); });

    std::unique_ptr<PlexorViewModel> engine;
    const Timing scan = measure(
        repeats,
        [&] {
            engine.reset();
            engine = std::make_unique<PlexorViewModel>(preferences, clipboard);
        },
        [&] { engine->loadFiles(root); });
    const int nodes = countNodes(engine->files());

    printTiming("plain walk + stat, whole tree", plainWalk);
    printTiming("plain walk + stat, same entries as the scan", plainWalkSameEntries);
    printTiming("loadFiles", scan);
    std::printf("  tree: %d nodes\n", nodes);
    printRatio("loadFiles / plain walk (whole tree)", scan.median / plainWalk.median, 1.5);
    printRatio("loadFiles / plain walk (same entries)", scan.median / plainWalkSameEntries.median,
               1.5);

    // --- Respect .gitignore ---------------------------------------------------------------------
    // The project becomes a git repository: everything committed but the dependency folder and
    // build output, which .gitignore names, plus a few untracked files.
    const QString git = QStandardPaths::findExecutable(QStringLiteral("git"));
    const auto runGit = [&](const QStringList& arguments) {
        QProcess process;
        process.setWorkingDirectory(root);
        process.start(git, QStringList{QStringLiteral("-c"), QStringLiteral("user.name=B"),
                                       QStringLiteral("-c"), QStringLiteral("user.email=b@b")} +
                               arguments);
        return process.waitForFinished(-1) && process.exitCode() == 0;
    };
    if (git.isEmpty()) {
        std::printf("\nRespect .gitignore: git is not installed, skipped\n");
    } else {
        std::printf("\nRespect .gitignore (committing the project to git ...)\n");
        QFile ignore(root + QStringLiteral("/.gitignore"));
        const bool written =
            ignore.open(QIODevice::WriteOnly) && ignore.write("node_modules/\nbuild/\n*.log\n") > 0;
        ignore.close();
        QDir().mkpath(root + QStringLiteral("/build"));
        QDir().mkpath(root + QStringLiteral("/src/untracked"));
        for (int i = 0; i < 100; ++i) {
            QFile(root + QStringLiteral("/build/out%1.js").arg(i)).open(QIODevice::WriteOnly);
            QFile(root + QStringLiteral("/src/untracked/new%1.py").arg(i))
                .open(QIODevice::WriteOnly);
        }
        // A second's pause, so that no committed file is as new as the index ("racily clean"
        // entries would have git read every file again).
        QThread::sleep(1);
        if (!written || !runGit({QStringLiteral("init"), QStringLiteral("-q")}) ||
            !runGit({QStringLiteral("add"), QStringLiteral("-A")}) ||
            !runGit({QStringLiteral("commit"), QStringLiteral("-qm"), QStringLiteral("b")}) ||
            !runGit({QStringLiteral("rm"), QStringLiteral("-rq"), QStringLiteral("--cached"),
                     QStringLiteral("src/untracked")})) {
            std::fprintf(stderr, "git failed\n");
            return 1;
        }
        const auto freshEngine = [&](bool respect) {
            engine.reset();
            engine = std::make_unique<PlexorViewModel>(preferences, clipboard);
            engine->setRespectGitignore(respect);
        };
        const auto timedScan = [&](bool respect, const std::function<void()>& before) {
            return measure(
                repeats,
                [&] {
                    before();
                    freshEngine(respect);
                },
                [&] { engine->loadFiles(root); });
        };
        const Timing off = timedScan(false, [] {});
        const int nodesOff = countNodes(engine->files());
        // The first scan with the switch on reads the index; later scans of the same
        // repository read it again only when it changed. So each first scan after the very
        // first one comes after a change of the index: one untracked file staged or unstaged.
        bool staged = false;
        bool first = true;
        const QString toggled = QStringLiteral("src/untracked/new0.py");
        const Timing firstScans = timedScan(true, [&] {
            if (!std::exchange(first, false)) {
                staged = !staged;
                runGit(staged ? QStringList{QStringLiteral("add"), toggled}
                              : QStringList{QStringLiteral("rm"), QStringLiteral("-q"),
                                            QStringLiteral("--cached"), toggled});
            }
        });
        runGit({QStringLiteral("rm"), QStringLiteral("-q"), QStringLiteral("--cached"),
                QStringLiteral("--ignore-unmatch"), toggled});
        freshEngine(true);
        engine->loadFiles(root);
        const Timing on = timedScan(true, [] {});
        const int nodesOn = countNodes(engine->files());
        engine.reset();
        preferences.setBoolean(PreferenceKeys::respectGitignore, false);
        printTiming("loadFiles, switch off", off);
        printTiming("loadFiles, switch on, first scans (index read)", firstScans);
        printTiming("loadFiles, switch on, later scans", on);
        std::printf("  tree: %d nodes off, %d on\n", nodesOff, nodesOn);
        // Wall clock and the thread's processor time: on a loaded machine the wall clock of
        // either side may be inflated by other processes, the thread time is what the scan did.
        std::printf("  %-52s %6.2fx   (thread time %.2fx)\n", "switch on / switch off, first scans",
                    firstScans.median / off.median, firstScans.cpuMedian / off.cpuMedian);
        std::printf("  %-52s %6.2fx   (thread time %.2fx)\n", "switch on / switch off, later scans",
                    on.median / off.median, on.cpuMedian / off.cpuMedian);
        printRatio("switch on / switch off, first scans (thread time)",
                   firstScans.cpuMedian / off.cpuMedian, 1.5);
        printRatio("switch on / switch off, later scans (thread time)",
                   on.cpuMedian / off.cpuMedian, 1.5);
    }

    // --- Memory -------------------------------------------------------------------------------
    engine.reset();
    {
        auto fresh = std::make_unique<PlexorViewModel>(preferences, clipboard);
        qint64 peak = 0;
        fresh->setWalkFactory(
            [&peak] { return std::make_unique<HeapSamplingWalk>(FolderWalk::create(), &peak); });
        const qint64 before = heapBytesInUse();
        peak = before;
        fresh->loadFiles(root);
        const qint64 after = heapBytesInUse();
        peak = std::max(peak, after);
        const int freshNodes = countNodes(fresh->files());
        std::printf("\nMemory of the tree (%d nodes)\n", freshNodes);
        std::printf("  peak during the scan      %8.1f bytes per node\n",
                    static_cast<double>(peak - before) / freshNodes);
        std::printf("  held after the scan       %8.1f bytes per node\n",
                    static_cast<double>(after - before) / freshNodes);
        const double perNode = static_cast<double>(peak - before) / freshNodes;
        std::printf("  %-44s %6.1f   (target <= 400) %s\n", "peak bytes per node", perNode,
                    perNode <= 400 ? "ok" : "OVER");
    }

    // --- Generation ---------------------------------------------------------------------------
    std::printf("\nGeneration (%lld selected files)\n",
                static_cast<long long>(project.selectedPaths().size()));
    engine = std::make_unique<PlexorViewModel>(preferences, clipboard);
    const QStringList& selectedPaths = project.selectedPaths();
    engine->loadFiles(root, PlexorViewModel::PathSet(selectedPaths.cbegin(), selectedPaths.cend()));
    if (engine->selectedFiles().size() != selectedPaths.size()) {
        std::fprintf(stderr, "selection mismatch: %lld of %lld\n",
                     static_cast<long long>(engine->selectedFiles().size()),
                     static_cast<long long>(selectedPaths.size()));
        return 1;
    }

    QByteArray buffer;
    const qint64 selectedBytes = BaselineIo::readAll(selectedPaths, buffer);
    const Timing plainRead = measure(
        repeats, [&] { buffer = QByteArray(); },
        [&] { BaselineIo::readAll(selectedPaths, buffer); });
    const Timing plainReadReserved = measure(
        repeats, [&] { buffer = QByteArray(); },
        [&] { BaselineIo::readAllReserved(selectedPaths, buffer); });
    buffer = QByteArray();
    const Timing generation = measure(
        repeats, [&] { engine->setGeneratedContent(QString()); },
        [&] { engine->generateContent(root); });
    printTiming("plain read into one buffer", plainRead);
    printTiming("plain read, reserved with large pages", plainReadReserved);
    printTiming("generateContent", generation);
    std::printf("  text: %lld characters\n",
                static_cast<long long>(engine->generatedContent().size()));
    printRatio("generateContent / plain read", generation.median / plainRead.median, 2.0);
    printRatio("generateContent / plain read (reserved)",
               generation.median / plainReadReserved.median, 2.0);

    // --- Streamed generation -----------------------------------------------------------------
    // What `plexor generate` does: the same text handed on file by file, never held whole.
    {
        engine->setGeneratedContent(QString());
        const qint64 before = heapBytesInUse();
        qint64 peak = before;
        qint64 characters = 0;
        engine->writeContent(root, [&](QString& text) {
            peak = std::max(peak, heapBytesInUse());
            characters += text.size();
            text.truncate(0);
            return true;
        });
        engine->generateContent(root);
        const qint64 whole = heapBytesInUse() - before;
        std::printf("\nStreamed generation (%lld characters)\n",
                    static_cast<long long>(characters));
        std::printf("  %-52s %8.1f MB\n", "peak heap, streamed", (peak - before) / 1e6);
        std::printf("  %-52s %8.1f MB\n", "heap held by the whole text", whole / 1e6);
        printRatio("streamed peak / whole text", double(peak - before) / double(whole), 0.1);
    }

    // --- Token count ---------------------------------------------------------------------------
    // The first 20 MB of the generated text as UTF-8, counted on one core, against reading the
    // same number of bytes from the files. The rate is also given in the thread's processor time,
    // which a machine busy with other work does not distort.
    const QByteArray utf8 = engine->generatedContent().left(20'000'000).toUtf8();
    const double readShare = static_cast<double>(utf8.size()) / static_cast<double>(selectedBytes);
    const TokenEncoding& encoding = TokenEncoding::o200kBase();
    qint64 tokens = 0;
    double cpuSeconds = 0;
    const Timing counting = measure(
        repeats, [] {},
        [&] {
            const double before = threadCpuMs();
            tokens = encoding.count(QByteArrayView(utf8)).value_or(-1);
            cpuSeconds = (threadCpuMs() - before) / 1e3;
        });
    const double megabytes = static_cast<double>(utf8.size()) / 1e6;
    std::printf("\nToken count (o200k_base), %.1f MB of the generated text: %lld tokens\n",
                megabytes, static_cast<long long>(tokens));
    printTiming("count tokens", counting);
    const double wallRate = megabytes / (counting.median / 1000.0);
    const double cpuRate = megabytes / cpuSeconds;
    std::printf("  %-44s %6.1f   (target >= 20) %s\n", "token count, MB/s (wall clock)", wallRate,
                wallRate >= 20 ? "ok" : "UNDER");
    std::printf("  %-44s %6.1f   (target >= 20) %s\n", "token count, MB/s (processor time)",
                cpuRate, cpuRate >= 20 ? "ok" : "UNDER");
    std::printf("  %-44s %6.1fx\n", "token count / plain read of as many bytes",
                counting.median / (plainRead.median * readShare));

    std::printf("\nRemoving the synthetic project ...\n");
    return 0;
}
