#include "TestEngine.h"
#include "TestTree.h"

#include "engine/FileTreeFilter.h"
#include "model/PreferenceKeys.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QSet<QUuid> ids(const PlexorViewModel& engine, const TestTree& tree, const QStringList& relatives)
{
    QSet<QUuid> set;
    for (const QString& relative : relatives)
        set.insert(findNode(engine.files(), tree.root(), relative)->id());
    return set;
}

} // namespace

class TestEngineState : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void freshEngine()
    {
        TestEngine rig;
        auto engine = rig.make();
        QCOMPARE(engine->prefixText(), u"Here are the files of my project."_s);
        QCOMPARE(engine->suffixText().toUtf8().size(), 341);
        QVERIFY(engine->suffixText().contains(u"'I\u2019m ready!'"_s));
        QVERIFY(!engine->showAllFiles());
        QStringList extensions;
        for (const FileTypeSwitch& type : engine->selectedFileTypes()) {
            extensions.append(type.extension);
            QCOMPARE(type.enabled, type.extension != u".txt");
        }
        QCOMPARE(extensions, pathList(".swift,.py,.js,.ts,.html,.css,.java,.go,.h,.c,.cpp,.yaml,"
                                      ".json,.ino,.txt,.md"));
        // Nothing was written: the defaults are not stored until saved.
        QVERIFY(!rig.store.preferences.contains(PreferenceKeys::savedPrefixText));
    }

    void switchesTakeEffectAtTheNextScan()
    {
        TestTree tree;
        QVERIFY(tree.addAll(pathList("a.md,b.c,c.rs")));
        TestEngine rig;
        auto engine = rig.make();
        QSignalSpy types(engine.get(), &PlexorViewModel::selectedFileTypesChanged);
        QSignalSpy showAll(engine.get(), &PlexorViewModel::showAllFilesChanged);
        engine->loadFiles(tree.root(), tree.paths({u"a.md"_s}));
        engine->setFileTypeEnabled(u".md"_s, false);
        engine->setFileTypeEnabled(u".md"_s, false);
        engine->setFileTypeEnabled(u".rs"_s, true);
        QCOMPARE(types.count(), 2);
        QCOMPARE(engine->selectedFileTypes().last().extension, u".rs"_s);
        QCOMPARE(sortedShape(engine->files()), u"a.md,b.c"_s);
        engine->loadFiles(tree.root());
        QCOMPARE(sortedShape(engine->files()), u"b.c,c.rs"_s);
        QVERIFY(engine->selectedFiles().isEmpty());
        engine->setShowAllFiles(true);
        engine->setShowAllFiles(true);
        QCOMPARE(showAll.count(), 1);
    }

    void toggleAndBulkSelection()
    {
        TestTree tree;
        QVERIFY(tree.addAll(pathList("src/a.c,src/deep/b.c,src/deep/c.c,top.c")));
        TestEngine rig;
        auto bulk = rig.make();
        auto clicks = rig.make();
        for (PlexorViewModel* engine : {bulk.get(), clicks.get()})
            engine->loadFiles(tree.root(), tree.paths(pathList("src,src/a.c")));
        const FileItem* src = findNode(bulk->files(), tree.root(), u"src"_s);
        const FileItem* a = findNode(bulk->files(), tree.root(), u"src/a.c"_s);
        // A toggle changes that node alone; collected in pre-order, the folder first.
        QCOMPARE(bulk->collectSelectedItems(),
                 (QList<FileItem*>{const_cast<FileItem*>(src), const_cast<FileItem*>(a)}));
        QCOMPARE(bulk->collectSelectedItems(*a), QList<FileItem*>{const_cast<FileItem*>(a)});
        QCOMPARE(PlexorViewModel::filesInside(*src).size(), 3);
        QCOMPARE(PlexorViewModel::filesIn(bulk->files()).size(), 4);

        // Selecting all files inside acts as clicks on each unticked row.
        QSignalSpy changed(bulk.get(), &PlexorViewModel::selectedFilesChanged);
        bulk->select(PlexorViewModel::filesInside(*src));
        QCOMPARE(changed.count(), 1);
        for (const QUuid& id : ids(*clicks, tree, pathList("src/deep/b.c,src/deep/c.c")))
            clicks->toggleSelection(id);
        QCOMPARE(bulk->selectedFiles(),
                 ids(*bulk, tree, pathList("src,src/a.c,src/deep/b.c,src/deep/c.c")));
        const auto saved = [](const PlexorViewModel& engine) {
            PlexorViewModel::PathSet selected;
            engine.saveState([&](const auto& paths, const auto&) { selected = paths; });
            return selected;
        };
        QCOMPARE(saved(*bulk), saved(*clicks));

        bulk->deselect(PlexorViewModel::filesIn(bulk->files()));
        QCOMPARE(bulk->selectedFiles(), ids(*bulk, tree, {u"src"_s}));
        bulk->select({});
        bulk->deselect(PlexorViewModel::filesInside(*src));
        bulk->toggleSelection(src->id());
        QVERIFY(bulk->selectedFiles().isEmpty());
        QCOMPARE(changed.count(), 3);
    }

    void filterFindsFilesByWords_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("no words shows everything")
            << u"  "_s
            << pathList("README.md,docs/Scan notes.md,src/engine/Scan.cpp,src/ui/View.cpp");
        QTest::newRow("one word, any case")
            << u"sCAN"_s << pathList("docs/Scan notes.md,src/engine/Scan.cpp");
        QTest::newRow("words in any order, folder names count")
            << u"cpp ENGINE"_s << pathList("src/engine/Scan.cpp");
        QTest::newRow("every word must match") << u"scan view"_s << QStringList();
        QTest::newRow("white space around words") << u"\t md  read "_s << pathList("README.md");
        QTest::newRow("project folder is not part of the path") << u"app/"_s << QStringList();
    }

    void filterFindsFilesByWords()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, shown);
        TestTree tree;
        QVERIFY(tree.addAll(pathList("src/engine/Scan.cpp,src/ui/View.cpp,docs/Scan notes.md,"
                                     "README.md")));
        TestEngine rig;
        auto engine = rig.make();
        engine->loadFiles(tree.root());
        FileTreeFilter filter;
        filter.setTree(&engine->files());
        filter.setQuery(query);
        QStringList found;
        for (const FileItem* file : filter.shownFiles())
            found.append(file->path().mid(tree.root().size() + 1));
        found.sort();
        QCOMPARE(found, shown);
        // Typed letter by letter (each query narrowing the one before), the finds are the same.
        FileTreeFilter typed;
        typed.setTree(&engine->files());
        for (qsizetype length = 1; length <= query.size(); ++length)
            typed.setQuery(query.left(length));
        QCOMPARE(typed.shownFiles(), filter.shownFiles());
        if (!filter.isActive())
            return;
        // Only folders holding shown files are shown, each row counted among shown siblings.
        QSet<const FileItem*> expected;
        for (const FileItem* file : filter.shownFiles()) {
            for (const FileItem* node = file; node; node = node->parent())
                expected.insert(node);
        }
        QSet<const FileItem*> rows;
        std::function<void(int)> walk = [&](int folder) {
            for (int row = 0; row < filter.shownCount(folder); ++row) {
                const int number = filter.shownChild(folder, row);
                QCOMPARE(filter.parentOf(number), folder);
                QCOMPARE(filter.shownRow(number), row);
                QCOMPARE(filter.numberOf(filter.node(number)), number);
                rows.insert(filter.node(number));
                walk(number);
            }
        };
        walk(-1);
        QCOMPARE(rows, expected);
    }

    void gitSwitchIsStoredAndChangedFilesAreSelected()
    {
        const QString git = QStandardPaths::findExecutable(u"git"_s);
        if (git.isEmpty())
            QSKIP("git is not installed");
        TestTree tree;
        QVERIFY(tree.addAll(pathList("same.c,edited.c,out/built.c")));
        QVERIFY(tree.add(u".gitignore"_s, "out/\n"));
        const auto run = [&](const char* arguments) {
            QProcess process;
            process.setWorkingDirectory(tree.root());
            process.start(git, QString::fromUtf8(arguments).split(u' '));
            return process.waitForFinished() && process.exitCode() == 0;
        };
        QVERIFY(run("init -q") && run("add -A") &&
                run("-c user.name=T -c user.email=t@t commit -qm x"));
        QVERIFY(tree.add(u"edited.c"_s, "new"));
        QVERIFY(tree.add(u"fresh.c"_s, "new"));

        TestEngine rig;
        auto engine = rig.make();
        engine->loadFiles(tree.root());
        QVERIFY(engine->inGitWorkTree());
        QVERIFY(findNode(engine->files(), tree.root(), u"out/built.c"_s));
        engine->setRespectGitignore(true);
        engine->loadFiles(tree.root());
        QVERIFY(!findNode(engine->files(), tree.root(), u"out/built.c"_s));
        QVERIFY(rig.make()->respectGitignore()); // the switch outlives the engine

        engine->toggleSelection(findNode(engine->files(), tree.root(), u"same.c"_s)->id());
        QVERIFY(engine->selectChangedFiles(tree.root()));
        QCOMPARE(engine->selectedFiles(), ids(*engine, tree, pathList("edited.c,fresh.c,same.c")));
        // A file added to the index since the last scan is tracked, so no longer left out.
        QVERIFY(run("add -f out/built.c"));
        engine->loadFiles(tree.root());
        QVERIFY(findNode(engine->files(), tree.root(), u"out/built.c"_s));

        TestTree outside;
        QVERIFY(outside.add(u"a.c"_s));
        engine->loadFiles(outside.root());
        QVERIFY(!engine->inGitWorkTree());
        QString error;
        QVERIFY(!engine->selectChangedFiles(outside.root(), &error));
        QVERIFY(error.contains(u"git work tree"_s));
    }

    void expansionIsAnnounced()
    {
        TestTree tree;
        QVERIFY(tree.add(u"outer/inner/x.c"_s));
        TestEngine rig;
        auto engine = rig.make();
        engine->loadFiles(tree.root());
        FileItem* outer = findNode(engine->files(), tree.root(), u"outer"_s);
        FileItem* inner = findNode(engine->files(), tree.root(), u"outer/inner"_s);
        QSignalSpy spy(engine.get(), &PlexorViewModel::expansionChanged);
        engine->setExpanded(outer, true);
        engine->setExpanded(inner, true);
        engine->setExpanded(inner, true);
        engine->setExpanded(outer, false);
        QCOMPARE(spy.count(), 3);
        QCOMPARE(spy.at(1).at(0).value<FileItem*>(), inner);
        // An open folder inside a closed one is still reported.
        QCOMPARE(PlexorViewModel::collectExpandedPaths(engine->files()),
                 QSet<QString>{inner->path()});
    }

    void textsAreSavedToAndReadFromTheStore()
    {
        TestEngine rig;
        Preferences& store = rig.store.preferences;
        store.setText(PreferenceKeys::savedPrefixText, QString());
        store.setText(PreferenceKeys::savedSuffixText, u"Bye \u2019"_s);
        auto engine = rig.make();
        QCOMPARE(engine->prefixText(), QString());
        QCOMPARE(engine->suffixText(), u"Bye \u2019"_s);

        engine->setPrefixText(u"Look:"_s);
        engine->savePrefix();
        QCOMPARE(store.text(PreferenceKeys::savedPrefixText), u"Look:"_s);
        QVERIFY(engine->prefixJustSaved());
        engine->resetSuffix();
        QCOMPARE(engine->suffixText(), PlexorViewModel::defaultSuffixText());
        QCOMPARE(store.text(PreferenceKeys::savedSuffixText), PlexorViewModel::defaultSuffixText());
        QVERIFY(engine->suffixJustSaved());
        // What was stored is what the next engine reads, from the file itself.
        QVERIFY(store.flush());
        Preferences reopened(rig.store.dir.filePath(u"CodePlexor.json"_s));
        QCOMPARE(PlexorViewModel(reopened, rig.clipboard).prefixText(), u"Look:"_s);

        // A value of another type reads as absent, and is kept aside before a save replaces it.
        store.setNumber(PreferenceKeys::savedPrefixText, 3);
        engine->loadSavedTexts();
        QCOMPARE(engine->prefixText(), PlexorViewModel::defaultPrefixText());
        QVERIFY(store.preservedCorruptFile().isEmpty());
        engine->savePrefix();
        QVERIFY(store.flush());
        QVERIFY(!store.preservedCorruptFile().isEmpty());
    }

    // Each raise lowers its flag two seconds later; a later raise does not put the earlier
    // lowering off. All four flags are raised at 0 s and 1 s: they must still drop at about
    // 2 s. Raised again at 2.5 s, they drop at 3 s, lowered by the timers of the 1 s raise.
    void flagsDropTwoSecondsAfterTheFirstRaise()
    {
        TestEngine rig;
        auto engine = rig.make();
        QElapsedTimer clock;
        QList<qint64> loweredAt[4];
        int index = 0;
        for (auto signal :
             {&PlexorViewModel::justCopiedChanged, &PlexorViewModel::justRegeneratedChanged,
              &PlexorViewModel::prefixJustSavedChanged, &PlexorViewModel::suffixJustSavedChanged}) {
            connect(engine.get(), signal, this, [&, index](bool raised) {
                if (!raised)
                    loweredAt[index].append(clock.elapsed());
            });
            ++index;
        }
        const auto raiseAll = [&] {
            engine->copyToClipboard();
            engine->raiseJustRegenerated();
            engine->savePrefix();
            engine->saveSuffix();
        };
        const auto raised = [&] {
            return int(engine->justCopied()) + engine->justRegenerated() +
                   engine->prefixJustSaved() + engine->suffixJustSaved();
        };
        const auto check = [&](qsizetype count, qint64 from, qint64 to) {
            QTRY_COMPARE_WITH_TIMEOUT(raised(), 0, 2000);
            for (const QList<qint64>& times : loweredAt) {
                QCOMPARE(times.size(), count);
                QVERIFY2(times.last() >= from && times.last() < to,
                         qPrintable(QString::number(times.last())));
            }
        };
        clock.start();
        raiseAll();
        QTest::qWait(1000);
        raiseAll();
        QTest::qWait(500);
        QVERIFY2(raised() == 4, "lowered before two seconds");
        check(1, 1950, 2600);
        if (QTest::currentTestFailed())
            return;
        while (clock.elapsed() < 2500)
            QTest::qWait(10);
        raiseAll();
        QCOMPARE(raised(), 4);
        check(2, 2950, 3600);
    }
};

QTEST_GUILESS_MAIN(TestEngineState)
#include "tst_enginestate.moc"
