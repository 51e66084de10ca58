// Measures the main window around a large generation, as a user meets it: a remembered project
// whose saved selection of 20,000 files is restored from the library, the click on "Generate
// Content" until the preview is painted with its count and the clipboard holds the text, typing
// in the preview, "Regenerate", "Back" and the way back to the preview. Every figure is set
// against the engine's own generation of the same selection, measured in the same run.
// Last, the window while the token counts of a 10,000-file project fill in (--fill-only: just
// that).
// Run: build/bench/codeplexor_bench_preview [--quick] [--dir FOLDER] [--size MB]... [--fill-only]
//
// The widgets are drawn on the offscreen platform unless QT_QPA_PLATFORM says otherwise; the
// clipboard is the platform's own.

#include "BaselineIo.h"
#include "SyntheticProject.h"

#include "app/FolderChooser.h"
#include "app/MainContainerView.h"
#include "engine/PlexorViewModel.h"
#include "engine/PlexorWorkView.h"
#include "engine/TokenCounter.h"
#include "library/RecentFoldersStore.h"
#include "model/Preferences.h"
#include "platform/Clipboard.h"
#include "platform/Log.h"
#include "ui/CharacterCount.h"
#include "ui/LargeTextEdit.h"
#include "ui/PlexorInputView.h"
#include "ui/PlexorPreviewView.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>

#include "Measure.h"

namespace {

// Records, while `measuring`, the longest main-thread processor time spent on one event (its
// handlers, the paints it leads to when it is a paint request): the work a frame waits for,
// without the time other processes held the processor.
class EventTimingApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool measuring = false;
    double longestEventMs = 0;
    int eventsOverFrame = 0;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (!measuring)
            return QApplication::notify(receiver, event);
        const double start = threadCpuMs();
        const bool handled = QApplication::notify(receiver, event);
        const double spent = threadCpuMs() - start;
        // Nested deliveries are counted within their outer event.
        if (spent > longestEventMs)
            longestEventMs = spent;
        if (spent > 16)
            ++eventsOverFrame;
        return handled;
    }
};

class NoFolderChooser : public FolderChooser {
public:
    std::optional<QString> chooseFolder(QWidget*) override { return std::nullopt; }
};

QtMessageHandler previousHandler = nullptr;

void dropPlatformNoise(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QStringLiteral("propagateSizeHints")))
        return;
    if (previousHandler)
        previousHandler(type, context, message);
}

// Resident memory of this process now and at its peak since the last reset, in bytes.
qint64 statusField(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray key = QByteArray(name) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return 0;
}

qint64 residentBytes()
{
    return statusField("VmRSS");
}

// Starts a new peak: the kernel sets the peak resident size back to the current one.
void resetPeakResident()
{
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

qint64 peakResidentBytes()
{
    return statusField("VmHWM");
}

// Lets queued work run until nothing is left.
void settle()
{
    QApplication::processEvents();
    QApplication::sendPostedEvents();
    QApplication::processEvents();
}

template <typename T>
T* child(QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QLatin1String(name));
    if (!found) {
        std::fprintf(stderr, "no widget named %s\n", name);
        std::exit(1);
    }
    return found;
}

void printFigure(const char* label, double value, const char* unit, double target)
{
    std::printf("  %-52s %8.2f %-6s (target <= %g) %s\n", label, value, unit, target,
                value <= target ? "ok" : "OVER");
}

// Puts the editor's cursor at the start of the line `fraction` of the way into `text` and
// returns that place as an index into the text.
qsizetype placeCursor(LargeTextEdit* editor, const QString& text, double fraction)
{
    qsizetype at = qsizetype(double(text.size()) * fraction);
    if (at > 0 && at < text.size())
        at = text.lastIndexOf(u'\n', at) + 1;
    editor->setCursorPosition(at);
    return at;
}

// A project of one selected file per module and nothing else: `packages` x 100 files of
// `fileBytes` bytes each.
SyntheticProject::Shape oneFilePerModule(int packages, int fileBytes)
{
    SyntheticProject::Shape shape;
    shape.packages = packages;
    shape.modulesPerPackage = 100;
    shape.filesPerModule = 1;
    shape.dependencyPackages = 0;
    shape.selectedFileBytes = fileBytes;
    return shape;
}

// The main window with `root` as its open, remembered project, whose saved selection and open
// folders are the ones given, shown on the input screen (its scan still to run).
std::unique_ptr<MainContainerView> openWindow(Preferences& preferences, const QString& root,
                                              const PlexorViewModel::PathSet& selection,
                                              const PlexorViewModel::PathSet& expanded)
{
    static NoFolderChooser chooser;
    auto window = std::make_unique<MainContainerView>(preferences, Clipboard::system(), chooser);
    window->resize(1200, 900);
    window->selectFolder(root);
    window->store().saveFolderState(selection, expanded);
    window->show();
    window->setViewMode(ViewMode::plexor);
    return window;
}

bool runSize(int megabytes, const BenchOptions& options, Preferences& preferences)
{
    const int repeats = options.repeats;
    QTemporaryDir projectDir(options.parentFolder +
                             QStringLiteral("/codeplexor-bench-preview-XXXXXX"));
    if (!projectDir.isValid())
        return false;

    // 20,000 selected files, one per module, with nothing else in the project.
    SyntheticProject project(projectDir.filePath(QStringLiteral("project")),
                             oneFilePerModule(200, megabytes * 1'000'000 / 20'000));
    if (!QDir().mkpath(project.root()) || !project.write())
        return false;
    const QString root = project.root();
    const QStringList& selectedPaths = project.selectedPaths();
    const PlexorViewModel::PathSet selection(selectedPaths.cbegin(), selectedPaths.cend());

    // --- The engine alone: the baseline ---------------------------------------------------------
    // Each measurement of the window alternates with one of the engine alone, so that both meet
    // the same load of the machine.
    NoClipboard noClipboard;
    PlexorViewModel baseline(preferences, noClipboard);
    baseline.loadFiles(root, selection);
    std::vector<double> generationTimes;
    std::vector<double> generationCpuTimes;
    const auto generateAlone = [&] {
        baseline.setGeneratedContent(QString());
        QElapsedTimer timer;
        const double cpuStart = threadCpuMs();
        timer.start();
        baseline.generateContent(root);
        generationTimes.push_back(double(timer.nsecsElapsed()) / 1e6);
        generationCpuTimes.push_back(threadCpuMs() - cpuStart);
    };
    generateAlone();
    generationTimes.clear();
    generationCpuTimes.clear();
    const qsizetype characters = baseline.generatedContent().size();
    baseline.setGeneratedContent(QString());
    const auto against = [&](const std::function<void()>& setup,
                             const std::function<void()>& work) {
        return measure(
            repeats,
            [&] {
                generateAlone();
                baseline.setGeneratedContent(QString());
                setup();
            },
            work);
    };
    std::printf("\n%d MB: %lld selected files, %.1f million characters\n", megabytes,
                static_cast<long long>(selectedPaths.size()),
                static_cast<double>(characters) / 1e6);

    // --- The window, with the project remembered and its selection saved -----------------------
    auto window = openWindow(preferences, root, selection, {});
    settle();
    PlexorWorkView* work = window->workView();
    PlexorViewModel& engine = work->viewModel();
    if (engine.selectedFiles().size() != selection.size()) {
        std::fprintf(stderr, "selection not restored: %lld of %lld\n",
                     static_cast<long long>(engine.selectedFiles().size()),
                     static_cast<long long>(selection.size()));
        return false;
    }
    PlexorPreviewView* preview = work->previewView();
    auto* generateButton = child<QPushButton>(work->inputView(), "generateButton");
    auto* regenerateButton = child<QPushButton>(preview, "regenerateButton");
    auto* backButton = child<QPushButton>(preview, "backButton");
    auto* copyButton = child<QPushButton>(preview, "copyButton");
    auto* editor = child<LargeTextEdit>(preview, "previewEditor");

    // Click to painted preview, counted, with the text on the clipboard.
    const auto clickGenerate = [&] {
        generateButton->click();
        settle();
        preview->grab();
    };
    const auto shownAndCopied = [&] {
        const QString expected =
            PlexorPreviewView::charsText(CharacterCount::graphemes(engine.generatedContent()));
        return work->viewMode() == ViewMode::preview && preview->shownCount() == expected &&
               QGuiApplication::clipboard()->text() == engine.generatedContent() &&
               engine.generatedContent().size() == characters;
    };

    // Peak memory of the first generation in a fresh window.
    settle();
    const qint64 residentBefore = residentBytes();
    resetPeakResident();
    clickGenerate();
    const qint64 peakGrowth = peakResidentBytes() - residentBefore;
    const qint64 heldGrowth = residentBytes() - residentBefore;
    if (!shownAndCopied()) {
        std::fprintf(stderr, "the preview does not show the generated text\n");
        return false;
    }

    const Timing click = against(
        [&] {
            work->setViewMode(ViewMode::plexor);
            settle();
        },
        clickGenerate);
    printTiming("click Generate to painted, counted and copied preview", click);

    // Where one click goes: each mark is taken after the window's own handlers of that step.
    {
        work->setViewMode(ViewMode::plexor);
        settle();
        QElapsedTimer clock;
        double saved = 0, shown = 0, generated = 0, switched = 0;
        const auto mark = [&clock](double& at) { at = double(clock.nsecsElapsed()) / 1e6; };
        const QMetaObject::Connection marks[] = {
            QObject::connect(work, &PlexorWorkView::saveStateRequested, work, [&] { mark(saved); }),
            QObject::connect(&engine, &PlexorViewModel::generatedContentChanged, work,
                             [&] { mark(shown); }),
            QObject::connect(work, &PlexorWorkView::generated, work, [&] { mark(generated); }),
            QObject::connect(work, &PlexorWorkView::viewModeChanged, work, [&] { mark(switched); }),
        };
        clock.start();
        generateButton->click();
        const double clicked = double(clock.nsecsElapsed()) / 1e6;
        settle();
        const double settled = double(clock.nsecsElapsed()) / 1e6;
        preview->grab();
        const double painted = double(clock.nsecsElapsed()) / 1e6;
        for (const QMetaObject::Connection& connection : marks)
            QObject::disconnect(connection);
        std::printf(
            "  one click: selection saved %.0f ms, generated and shown %.0f ms, copied and recorded"
            " %.0f ms, screen switched %.0f ms, click done %.0f ms, events %.0f ms, painted %.0f "
            "ms\n",
            saved, shown - saved, generated - shown, switched - generated, clicked - switched,
            settled - clicked, painted - settled);
    }

    // The saved-state write that precedes every generation.
    const Timing saveState = measure(
        repeats, [] {}, [&] { window->store().saveFolderState(selection, {}); });
    printTiming("saving the selection with the project", saveState);

    const Timing regenerate = against([] {},
                                      [&] {
                                          regenerateButton->click();
                                          settle();
                                          preview->grab();
                                      });
    printTiming("Regenerate to painted, counted and copied preview", regenerate);
    std::sort(generationTimes.begin(), generationTimes.end());
    std::sort(generationCpuTimes.begin(), generationCpuTimes.end());
    const Timing generation{generationTimes.front(), generationTimes[generationTimes.size() / 2],
                            generationCpuTimes.front(),
                            generationCpuTimes[generationCpuTimes.size() / 2]};
    printTiming("engine alone: generateContent (baseline)", generation);

    const Timing back = measure(
        repeats,
        [&] {
            work->setViewMode(ViewMode::preview);
            settle();
        },
        [&] {
            backButton->click();
            settle();
            work->inputView()->grab();
        });
    const Timing toPreview = measure(
        repeats,
        [&] {
            work->setViewMode(ViewMode::plexor);
            settle();
        },
        [&] {
            work->setViewMode(ViewMode::preview);
            settle();
            preview->grab();
        });
    printTiming("Back to the painted input screen", back);
    printTiming("switching to the painted preview", toPreview);

    // Typing: one character at the start, the middle and the end of the text, each until the
    // engine holds it, the count agrees and the editor is painted again. Main-thread CPU time,
    // so that a pause before the edit reaches the engine is not counted.
    work->setViewMode(ViewMode::preview);
    settle();
    editor->setFocus();
    double clickIntoEditor = 0;
    double firstKey = 0;
    double worstKey = 0;
    bool typedExactly = true;
    for (const double where : {0.0, 0.5, 1.0}) {
        for (int key = 0; key < std::max(3, repeats); ++key) {
            QString expected = engine.generatedContent();
            const qsizetype at = placeCursor(editor, expected, where);
            expected.insert(at, u'x');
            // After "Copy" the clipboard shares the engine's text; the user clicks into the
            // editor, then types.
            if (key == 0 && where == 0.0) {
                QTest::mouseClick(copyButton, Qt::LeftButton);
                settle();
                const double clickStart = threadCpuMs();
                const QRect place = editor->rectAt(at);
                QTest::mouseClick(editor->viewport(), Qt::LeftButton, {},
                                  QPoint(place.left() + 1, place.center().y()));
                settle();
                clickIntoEditor = threadCpuMs() - clickStart;
            }
            const double start = threadCpuMs();
            QTest::keyClick(editor, Qt::Key_X);
            settle();
            editor->viewport()->grab();
            double spent = threadCpuMs() - start;
            // An editor that hands its edits over after a pause: only the handling counts.
            for (int spin = 0; spin < 100 && engine.generatedContent() != expected; ++spin) {
                const double waitStart = threadCpuMs();
                QTest::qWait(5);
                spent += threadCpuMs() - waitStart;
            }
            (key == 0 && where == 0.0 ? firstKey : worstKey) =
                std::max(key == 0 && where == 0.0 ? firstKey : worstKey, spent);
            typedExactly = typedExactly && engine.generatedContent() == expected &&
                           preview->shownCount() ==
                               PlexorPreviewView::charsText(CharacterCount::graphemes(expected));
        }
    }

    std::printf("  %-52s %8.2f ms\n", "click into the editor after Copy (main-thread CPU)",
                clickIntoEditor);
    std::printf("  %-52s %8.2f ms\n", "first keystroke after that (main-thread CPU)", firstKey);
    std::printf("  %-52s %8.2f ms\n", "other keystrokes, worst (main-thread CPU)", worstKey);
    std::printf("  %-52s %s\n", "engine text equals the typed text", typedExactly ? "yes" : "NO");

    const double perChar = static_cast<double>(peakGrowth) / static_cast<double>(characters);
    std::printf("  %-52s %8.1f MB (%.2f bytes per character)\n", "memory held after Generate",
                static_cast<double>(heldGrowth) / 1e6,
                static_cast<double>(heldGrowth) / static_cast<double>(characters));
    const double saveShare = saveState.median / click.median;
    std::printf("  %-52s %8.1f %%\n", "share of the saved-state write in the click",
                saveShare * 100);

    std::printf("Targets (%d MB)\n", megabytes);
    bool met = true;
    const auto check = [&](const char* label, double value, const char* unit, double target) {
        printFigure(label, value, unit, target);
        met = met && value <= target;
    };
    // Judged on the main thread's processor time, which the machine's other work does not
    // inflate; wall-clock ratios follow for information.
    check("click to preview / generation (thread time, medians)",
          click.cpuMedian / generation.cpuMedian, "x", 1.5);
    check("click to preview / generation (thread time, bests)", click.cpuBest / generation.cpuBest,
          "x", 1.5);
    check("Regenerate / generation (thread time, medians)",
          regenerate.cpuMedian / generation.cpuMedian, "x", 1.5);
    check("Regenerate / generation (thread time, bests)",
          regenerate.cpuBest / generation.cpuBest, "x", 1.5);
    std::printf("  %-52s %8.2f x (medians), %.2f x (bests)\n",
                "click to preview / generation, wall clock", click.median / generation.median,
                click.best / generation.best);
    std::printf("  %-52s %8.2f x (medians), %.2f x (bests)\n",
                "Regenerate / generation, wall clock", regenerate.median / generation.median,
                regenerate.best / generation.best);
    check("peak memory growth per character", perChar, "bytes", 8);
    check("Back", back.median, "ms", 50);
    check("switch to the preview", toPreview.median, "ms", 50);
    if (megabytes <= 20)
        check("one keystroke", std::max(firstKey, worstKey), "ms", 16);
    met = met && typedExactly;
    window.reset();
    return met;
}

// The window while the token counts of a 10,000-file, 100 MB project fill in: the project is
// opened with every file selected and every folder open, and counts arrive in batches that
// update the tree's rows and the selection line. Two figures: the longest main-thread processor
// time spent on one event while counting (the target: no frame over 16 ms), and, for
// information, the longest wall-clock gap between the ticks of a 1 ms probe timer while counting
// and over an idle second of the same window (that one also holds whatever else the machine
// ran).
bool runTokenFill(const BenchOptions& options, Preferences& preferences)
{
    QTemporaryDir projectDir(options.parentFolder +
                             QStringLiteral("/codeplexor-bench-tokens-XXXXXX"));
    if (!projectDir.isValid())
        return false;
    SyntheticProject project(projectDir.filePath(QStringLiteral("project")),
                             oneFilePerModule(100, 10'000));
    if (!QDir().mkpath(project.root()) || !project.write())
        return false;
    const QStringList& paths = project.selectedPaths();
    const PlexorViewModel::PathSet selection(paths.cbegin(), paths.cend());
    PlexorViewModel::PathSet folders;
    for (const QString& path : paths) {
        for (QString folder = QFileInfo(path).path(); folder.size() > project.root().size();
             folder = QFileInfo(folder).path())
            folders.insert(folder);
    }
    std::printf("\nToken counts filling in: %lld files, %.1f MB, every folder open\n",
                static_cast<long long>(paths.size()),
                static_cast<double>(project.selectedBytes()) / 1e6);

    // A plain read of the same files, for the rate.
    QElapsedTimer readTimer;
    readTimer.start();
    QByteArray readBuffer;
    const qint64 readBytes = BaselineIo::readAll(paths, readBuffer);
    readBuffer = QByteArray();
    const double readMs = double(readTimer.nsecsElapsed()) / 1e6;

    // The longest gap between ticks of a 1 ms timer while `running` holds.
    const auto longestGap = [](const std::function<bool()>& running) {
        double longest = 0;
        double last = 0;
        QElapsedTimer clock;
        QTimer timer;
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(1);
        QObject::connect(&timer, &QTimer::timeout, [&] {
            const double now = double(clock.nsecsElapsed()) / 1e6;
            longest = std::max(longest, now - last);
            last = now;
        });
        clock.start();
        timer.start();
        while (running())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        return longest;
    };

    auto window = openWindow(preferences, project.root(), selection, folders);
    QElapsedTimer fillTimer;
    fillTimer.start();
    settle();
    PlexorWorkView* work = window->workView();
    const TokenCounter& counter = work->tokenCounter();
    if (work->viewModel().selectedFiles().size() != selection.size()) {
        std::fprintf(stderr, "selection not restored\n");
        return false;
    }
    // The opening's own saved-state write, not part of counting.
    preferences.flush();
    const double openMs = double(fillTimer.nsecsElapsed()) / 1e6;

    auto* application = static_cast<EventTimingApplication*>(QCoreApplication::instance());
    application->measuring = true;
    const double countingGap = longestGap([&] { return counter.countingFiles(); });
    application->measuring = false;
    const double fillMs = double(fillTimer.nsecsElapsed()) / 1e6;
    int counted = 0;
    for (const QString& path : paths)
        counted += counter.fileTokens(path).has_value() ? 1 : 0;
    QElapsedTimer idleTimer;
    idleTimer.start();
    const double idleGap = longestGap([&] { return idleTimer.elapsed() < 1000; });

    std::printf("  %-52s %8.1f ms\n", "open, scan and first paint", openMs);
    std::printf("  %-52s %8.1f ms   (%.1f MB/s, %.1fx a plain read)\n",
                "every count in, from the open", fillMs,
                static_cast<double>(readBytes) / 1e3 / fillMs, fillMs / readMs);
    std::printf("  %-52s %8d of %lld\n", "files counted", counted,
                static_cast<long long>(paths.size()));
    std::printf("  %-52s %s\n", "selection line",
                qPrintable(work->inputView()->selectionSummary()));
    std::printf("  %-52s %8.1f ms\n", "longest wall-clock gap, idle window (baseline)", idleGap);
    std::printf("  %-52s %8.1f ms\n", "longest wall-clock gap while counting", countingGap);
    std::printf("  %-52s %8d\n", "events over 16 ms of main-thread time",
                application->eventsOverFrame);
    printFigure("longest main-thread time in one event", application->longestEventMs, "ms", 16);
    window.reset();
    return counted == paths.size() && application->longestEventMs <= 16;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    EventTimingApplication app(argc, argv);
    previousHandler = qInstallMessageHandler(dropPlatformNoise);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const QStringList arguments = app.arguments();
    const BenchOptions options = BenchOptions::from(arguments);

    QList<int> sizes;
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        if (arguments.at(i) == QStringLiteral("--size"))
            sizes.append(arguments.at(i + 1).toInt());
    }
    const bool fillOnly = arguments.contains(QStringLiteral("--fill-only"));
    if (sizes.isEmpty() && !fillOnly)
        sizes = {20, 100};

    QTemporaryDir configDir;
    if (!configDir.isValid())
        return 1;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir.path()));
    Preferences preferences(configDir.filePath(QStringLiteral("prefs.json")));
    Log::setSink([](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); });

    bool allMet = true;
    for (const int megabytes : sizes) {
        if (!runSize(megabytes, options, preferences))
            allMet = false;
    }
    if (!runTokenFill(options, preferences))
        allMet = false;
    std::printf("\n%s\n", allMet ? "All targets met." : "Some targets are NOT met.");
    return 0;
}
