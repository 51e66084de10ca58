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
        auto engine = rig.make();
        engine->loadFiles(tree.root(), tree.paths(pathList("src,src/a.c")));
        const FileItem* src = findNode(engine->files(), tree.root(), u"src"_s);
        const FileItem* a = findNode(engine->files(), tree.root(), u"src/a.c"_s);
        // Collected in pre-order, the folder first.
        QCOMPARE(engine->collectSelectedItems(),
                 (QList<FileItem*>{const_cast<FileItem*>(src), const_cast<FileItem*>(a)}));
        QCOMPARE(PlexorViewModel::filesIn(engine->files()).size(), 4);

        // Selecting the files inside a folder ticks them as clicks would, in one change; the
        // folder's own tick and the ticks already made stay as they were.
        QSignalSpy changed(engine.get(), &PlexorViewModel::selectedFilesChanged);
        engine->select(PlexorViewModel::filesInside(*src));
        QCOMPARE(engine->selectedFiles(),
                 ids(*engine, tree, pathList("src,src/a.c,src/deep/b.c,src/deep/c.c")));
        engine->deselect(PlexorViewModel::filesIn(engine->files()));
        QCOMPARE(engine->selectedFiles(), ids(*engine, tree, {u"src"_s}));
        engine->select({});
        engine->deselect(PlexorViewModel::filesInside(*src));
        engine->toggleSelection(src->id());
        QVERIFY(engine->selectedFiles().isEmpty());
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
        // Each shown node sits at its row among the shown children of its shown parent.
        for (const FileItem* file : filter.shownFiles()) {
            for (int n = filter.numberOf(file); filter.isActive() && n >= 0; n = filter.parentOf(n))
                QCOMPARE(filter.shownChild(filter.parentOf(n), filter.shownRow(n)), n);
        }
    }

    // What git ignores or reports changed is checked against git itself in the command-line
    // tests; here the switch and the selection.
    void gitSwitchIsStoredAndChangedFilesAddToTheSelection()
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

        TestEngine rig;
        auto engine = rig.make();
        engine->setRespectGitignore(true);
        QVERIFY(rig.make()->respectGitignore()); // the switch outlives the engine
        engine->loadFiles(tree.root(), tree.paths({u"same.c"_s}));
        QVERIFY(!findNode(engine->files(), tree.root(), u"out/built.c"_s));
        QVERIFY(engine->selectChangedFiles(tree.root()));
        QCOMPARE(engine->selectedFiles(), ids(*engine, tree, pathList("edited.c,same.c")));
        // A file added to the index since the last scan is tracked, so no longer left out.
        QVERIFY(run("add -f out/built.c"));
        engine->loadFiles(tree.root());
        QVERIFY(findNode(engine->files(), tree.root(), u"out/built.c"_s));
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
        // A value of another type reads as absent.
        store.setNumber(PreferenceKeys::savedPrefixText, 3);
        engine->loadSavedTexts();
        QCOMPARE(engine->prefixText(), PlexorViewModel::defaultPrefixText());
    }

    // Each raise lowers its flag two seconds later; a later raise does not put the earlier
    // lowering off: raised at 0 s and 1 s, the four flags still drop at about 2 s.
    void flagsDropTwoSecondsAfterTheFirstRaise()
    {
        TestEngine rig;
        auto engine = rig.make();
        QElapsedTimer clock;
        QList<qint64> loweredAt;
        for (auto signal :
             {&PlexorViewModel::justCopiedChanged, &PlexorViewModel::justRegeneratedChanged,
              &PlexorViewModel::prefixJustSavedChanged, &PlexorViewModel::suffixJustSavedChanged})
            connect(engine.get(), signal, this, [&](bool raised) {
                if (!raised)
                    loweredAt.append(clock.elapsed());
            });
        const auto raiseAll = [&] {
            engine->copyToClipboard();
            engine->raiseJustRegenerated();
            engine->savePrefix();
            engine->saveSuffix();
            return int(engine->justCopied()) + engine->justRegenerated() +
                   engine->prefixJustSaved() + engine->suffixJustSaved();
        };
        clock.start();
        QCOMPARE(raiseAll(), 4);
        QTest::qWait(1000);
        QCOMPARE(raiseAll(), 4);
        QTRY_COMPARE_WITH_TIMEOUT(loweredAt.size(), 4, 2000);
        for (qint64 time : std::as_const(loweredAt))
            QVERIFY2(time >= 1950 && time < 2600, qPrintable(QString::number(time)));
        QTest::qWait(1200);
        QCOMPARE(loweredAt.size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestEngineState)
#include "tst_enginestate.moc"
