#include "FakeServices.h"
#include "TestTree.h"

#include "engine/FileTreeFilter.h"
#include "engine/PlexorViewModel.h"
#include "model/PreferenceKeys.h"
#include "model/Preferences.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QtTest>

class TestEngineState : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_configDir;
    std::unique_ptr<Preferences> m_preferences;
    FakeClipboard m_clipboard;

    QString preferencesPath() const { return m_configDir->filePath(QStringLiteral("prefs.json")); }

    std::unique_ptr<PlexorViewModel> makeEngine()
    {
        return std::make_unique<PlexorViewModel>(*m_preferences, m_clipboard);
    }

private Q_SLOTS:
    void init()
    {
        m_configDir = std::make_unique<QTemporaryDir>();
        m_preferences = std::make_unique<Preferences>(preferencesPath());
    }

    void cleanup()
    {
        m_preferences.reset();
        m_configDir.reset();
    }

    void constants()
    {
        QCOMPARE(PlexorViewModel::defaultPrefixText(),
                 QStringLiteral("Here are the files of my project."));
        const QString suffix = PlexorViewModel::defaultSuffixText();
        QCOMPARE(suffix.size(), 339);
        QCOMPARE(suffix.toUtf8().size(), 341);
        QVERIFY(suffix.endsWith(QStringLiteral("single place.\n")));
        QVERIFY(suffix.contains(QStringLiteral("'I\u2019m ready!'")));
        QVERIFY(suffix.contains(QStringLiteral("request new features when")));
        QCOMPARE(PlexorViewModel::suffixSeparator(), QStringLiteral("\n\n-------------\n"));
        QCOMPARE(PlexorViewModel::ignoredNames(),
                 (QStringList{QStringLiteral(".git"), QStringLiteral(".build"),
                              QStringLiteral(".vscode"), QStringLiteral("Pods"),
                              QStringLiteral("node_modules"), QStringLiteral(".gitignore")}));
    }

    void freshEngine()
    {
        auto engine = makeEngine();
        QVERIFY(engine->files().empty());
        QVERIFY(engine->selectedFiles().isEmpty());
        QVERIFY(!engine->showAllFiles());
        QVERIFY(engine->generatedContent().isEmpty());
        QVERIFY(!engine->justCopied() && !engine->justRegenerated());
        QVERIFY(!engine->prefixJustSaved() && !engine->suffixJustSaved());

        const QList<FileTypeSwitch>& types = engine->selectedFileTypes();
        QStringList extensions;
        for (const FileTypeSwitch& type : types) {
            extensions.append(type.extension);
            QCOMPARE(type.enabled, type.extension != u".txt");
        }
        QCOMPARE(
            extensions,
            (QStringList{QStringLiteral(".swift"), QStringLiteral(".py"), QStringLiteral(".js"),
                         QStringLiteral(".ts"), QStringLiteral(".html"), QStringLiteral(".css"),
                         QStringLiteral(".java"), QStringLiteral(".go"), QStringLiteral(".h"),
                         QStringLiteral(".c"), QStringLiteral(".cpp"), QStringLiteral(".yaml"),
                         QStringLiteral(".json"), QStringLiteral(".ino"), QStringLiteral(".txt"),
                         QStringLiteral(".md")}));
        // The properties reach the same state through the meta-object system.
        QCOMPARE(engine->property("defaultPrefixText").toString(),
                 PlexorViewModel::defaultPrefixText());
        QCOMPARE(engine->property("selectedFileTypes").value<QList<FileTypeSwitch>>(), types);
    }

    void typeAndShowAllSwitches()
    {
        auto engine = makeEngine();
        QSignalSpy types(engine.get(), &PlexorViewModel::selectedFileTypesChanged);
        QSignalSpy showAll(engine.get(), &PlexorViewModel::showAllFilesChanged);
        engine->setFileTypeEnabled(QStringLiteral(".txt"), true);
        engine->setFileTypeEnabled(QStringLiteral(".txt"), true);
        engine->setFileTypeEnabled(QStringLiteral(".md"), false);
        QCOMPARE(types.count(), 2);
        QVERIFY(engine->isFileTypeEnabled(QStringLiteral(".txt")));
        QVERIFY(!engine->isFileTypeEnabled(QStringLiteral(".md")));
        QCOMPARE(engine->selectedFileTypes().size(), 16);
        engine->setFileTypeEnabled(QStringLiteral(".rs"), true);
        QCOMPARE(engine->selectedFileTypes().last().extension, QStringLiteral(".rs"));
        engine->setShowAllFiles(true);
        engine->setShowAllFiles(true);
        QCOMPARE(showAll.count(), 1);
        QVERIFY(engine->showAllFiles());

        // Switches take effect at the next scan: the input screen saves, then rescans.
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("a.md"), QStringLiteral("b.c")}));
        auto scanning = makeEngine();
        scanning->loadFiles(tree.root(), QSet<QString>{tree.path(QStringLiteral("a.md"))});
        QCOMPARE(scanning->selectedFiles().size(), 1);
        scanning->setFileTypeEnabled(QStringLiteral(".md"), false);
        QCOMPARE(sortedShape(scanning->files()), QStringLiteral("a.md,b.c"));
        scanning->loadFiles(tree.root());
        QCOMPARE(sortedShape(scanning->files()), QStringLiteral("b.c"));
        QVERIFY(scanning->selectedFiles().isEmpty());
    }

    void toggleSelectsOnlyThatNode()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("src/a.c"), QStringLiteral("src/b.c")}));
        auto engine = makeEngine();
        engine->loadFiles(tree.root());
        const FileItem* src = findNode(engine->files(), tree.root(), QStringLiteral("src"));
        const FileItem* a = findNode(engine->files(), tree.root(), QStringLiteral("src/a.c"));
        QSignalSpy changed(engine.get(), &PlexorViewModel::selectedFilesChanged);

        engine->toggleSelection(src->id());
        QCOMPARE(engine->selectedFiles(), QSet<QUuid>{src->id()});
        QVERIFY(engine->isSelected(src->id()));
        QCOMPARE(engine->collectSelectedItems(), QList<FileItem*>{const_cast<FileItem*>(src)});
        engine->toggleSelection(a->id());
        engine->toggleSelection(src->id());
        QCOMPARE(engine->selectedFiles(), QSet<QUuid>{a->id()});
        engine->toggleSelection(src->id());
        QCOMPARE(changed.count(), 4);
        // Pre-order: the folder before what lies inside it.
        QCOMPARE(engine->collectSelectedItems(),
                 (QList<FileItem*>{const_cast<FileItem*>(src), const_cast<FileItem*>(a)}));
        QCOMPARE(engine->collectSelectedItems(*a), QList<FileItem*>{const_cast<FileItem*>(a)});
    }

    void bulkSelectionActsAsClicksOnEachRow()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("src/a.c"), QStringLiteral("src/deep/b.c"),
                             QStringLiteral("src/deep/c.c"), QStringLiteral("top.c")}));
        const auto ids = [&tree](const PlexorViewModel& engine, const QStringList& relatives) {
            QSet<QUuid> set;
            for (const QString& relative : relatives)
                set.insert(findNode(engine.files(), tree.root(), relative)->id());
            return set;
        };
        auto bulk = makeEngine();
        auto clicks = makeEngine();
        for (PlexorViewModel* engine : {bulk.get(), clicks.get()}) {
            engine->loadFiles(tree.root(), QSet<QString>{tree.path(QStringLiteral("src")),
                                                         tree.path(QStringLiteral("src/a.c"))});
        }
        const FileItem* src = findNode(bulk->files(), tree.root(), QStringLiteral("src"));
        QCOMPARE(PlexorViewModel::filesInside(*src).size(), 3);
        QCOMPARE(PlexorViewModel::filesIn(bulk->files()).size(), 4);

        QSignalSpy changed(bulk.get(), &PlexorViewModel::selectedFilesChanged);
        bulk->select(PlexorViewModel::filesInside(*src));
        QCOMPARE(changed.count(), 1);
        for (const QUuid& id :
             ids(*clicks, {QStringLiteral("src/deep/b.c"), QStringLiteral("src/deep/c.c")}))
            clicks->toggleSelection(id);
        // The folder's own tick and the ticks already made stay as they were.
        QCOMPARE(bulk->selectedFiles(),
                 ids(*bulk, {QStringLiteral("src"), QStringLiteral("src/a.c"),
                             QStringLiteral("src/deep/b.c"), QStringLiteral("src/deep/c.c")}));
        const auto saved = [](const PlexorViewModel& engine) {
            PlexorViewModel::PathSet selected;
            engine.saveState([&](const auto& paths, const auto&) { selected = paths; });
            return selected;
        };
        QCOMPARE(saved(*bulk), saved(*clicks));

        bulk->deselect(PlexorViewModel::filesIn(bulk->files()));
        QCOMPARE(bulk->selectedFiles(), ids(*bulk, {QStringLiteral("src")}));
        bulk->select({});
        bulk->deselect(PlexorViewModel::filesInside(*src));
        QCOMPARE(changed.count(), 2);
        bulk->deselectAll();
        QVERIFY(bulk->selectedFiles().isEmpty());
        QCOMPARE(changed.count(), 3);
    }

    void filterFindsFilesByWords_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("shown");
        const QStringList all{QStringLiteral("README.md"), QStringLiteral("docs/Scan notes.md"),
                              QStringLiteral("src/engine/Scan.cpp"),
                              QStringLiteral("src/ui/View.cpp")};
        QTest::newRow("no words shows everything") << QStringLiteral("  ") << all;
        QTest::newRow("one word, any case") << QStringLiteral("sCAN")
                                            << QStringList{QStringLiteral("docs/Scan notes.md"),
                                                           QStringLiteral("src/engine/Scan.cpp")};
        QTest::newRow("words in any order, folder names count")
            << QStringLiteral("cpp ENGINE") << QStringList{QStringLiteral("src/engine/Scan.cpp")};
        QTest::newRow("every word must match") << QStringLiteral("scan view") << QStringList();
        QTest::newRow("white space around words")
            << QStringLiteral("\t md  read ") << QStringList{QStringLiteral("README.md")};
        QTest::newRow("project folder is not part of the path")
            << QStringLiteral("app/") << QStringList();
    }

    void filterFindsFilesByWords()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, shown);
        TestTree tree;
        QVERIFY(
            tree.addAll({QStringLiteral("src/engine/Scan.cpp"), QStringLiteral("src/ui/View.cpp"),
                         QStringLiteral("docs/Scan notes.md"), QStringLiteral("README.md")}));
        auto engine = makeEngine();
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
        for (const FileItem* file : filter.shownFiles()) {
            for (int number = filter.numberOf(file); number >= 0;
                 number = filter.parentOf(number)) {
                QCOMPARE(filter.node(number)->parent(), filter.parentOf(number) < 0
                                                            ? nullptr
                                                            : filter.node(filter.parentOf(number)));
                QCOMPARE(filter.shownChild(filter.parentOf(number), filter.shownRow(number)),
                         number);
            }
        }
        size_t shownNodes = 0;
        std::function<void(int)> count = [&](int folder) {
            for (int row = 0; row < filter.shownCount(folder); ++row) {
                ++shownNodes;
                count(filter.shownChild(folder, row));
            }
        };
        count(-1);
        QSet<const FileItem*> expected;
        for (const FileItem* file : filter.shownFiles()) {
            for (const FileItem* node = file; node; node = node->parent())
                expected.insert(node);
        }
        QCOMPARE(shownNodes, static_cast<size_t>(expected.size()));
    }

    void gitSwitchIsStoredAndChangedFilesAreSelected()
    {
        const QString git = QStandardPaths::findExecutable(QStringLiteral("git"));
        if (git.isEmpty())
            QSKIP("git is not installed");
        TestTree tree;
        QVERIFY(tree.addAll(
            {QStringLiteral("same.c"), QStringLiteral("edited.c"), QStringLiteral("out/built.c")}));
        QVERIFY(tree.add(QStringLiteral(".gitignore"), "out/\n"));
        const auto run = [&](const QStringList& arguments) {
            QProcess process;
            process.setWorkingDirectory(tree.root());
            process.start(git, QStringList{QStringLiteral("-c"), QStringLiteral("user.name=T"),
                                           QStringLiteral("-c"), QStringLiteral("user.email=t@t")} +
                                   arguments);
            return process.waitForFinished() && process.exitCode() == 0;
        };
        QVERIFY(run({QStringLiteral("init"), QStringLiteral("-q")}));
        QVERIFY(run({QStringLiteral("add"), QStringLiteral("-A")}));
        QVERIFY(run({QStringLiteral("commit"), QStringLiteral("-qm"), QStringLiteral("x")}));
        QVERIFY(tree.add(QStringLiteral("edited.c"), "new"));
        QVERIFY(tree.add(QStringLiteral("fresh.c"), "new"));

        auto engine = makeEngine();
        QVERIFY(!engine->respectGitignore());
        engine->loadFiles(tree.root());
        QVERIFY(engine->inGitWorkTree());
        QVERIFY(findNode(engine->files(), tree.root(), QStringLiteral("out/built.c")));
        engine->setRespectGitignore(true);
        engine->loadFiles(tree.root());
        QVERIFY(!findNode(engine->files(), tree.root(), QStringLiteral("out/built.c")));
        // The switch outlives the engine.
        QVERIFY(makeEngine()->respectGitignore());

        const FileItem* same = findNode(engine->files(), tree.root(), QStringLiteral("same.c"));
        engine->toggleSelection(same->id());
        QVERIFY(engine->selectChangedFiles(tree.root()));
        QStringList names;
        for (const FileItem* node : engine->collectSelectedItems())
            names.append(node->name());
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("edited.c"), QStringLiteral("fresh.c"),
                                     QStringLiteral("same.c")}));
        // A file added to the index since the last scan is tracked, so no longer left out.
        QVERIFY(run({QStringLiteral("add"), QStringLiteral("-f"), QStringLiteral("out/built.c")}));
        engine->loadFiles(tree.root());
        QVERIFY(findNode(engine->files(), tree.root(), QStringLiteral("out/built.c")));

        TestTree outside;
        QVERIFY(outside.add(QStringLiteral("a.c")));
        engine->loadFiles(outside.root());
        QVERIFY(!engine->inGitWorkTree());
        QString error;
        QVERIFY(!engine->selectChangedFiles(outside.root(), &error));
        QVERIFY(error.contains(QStringLiteral("git work tree")));
    }

    void expansionIsAnnounced()
    {
        TestTree tree;
        QVERIFY(tree.addAll({QStringLiteral("outer/inner/x.c")}));
        auto engine = makeEngine();
        engine->loadFiles(tree.root());
        FileItem* outer = findNode(engine->files(), tree.root(), QStringLiteral("outer"));
        FileItem* inner = findNode(engine->files(), tree.root(), QStringLiteral("outer/inner"));
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

    void textsComeFromTheStore()
    {
        {
            auto engine = makeEngine();
            QCOMPARE(engine->prefixText(), PlexorViewModel::defaultPrefixText());
            QCOMPARE(engine->suffixText(), PlexorViewModel::defaultSuffixText());
        }
        QVERIFY(!m_preferences->contains(PreferenceKeys::savedPrefixText));
        QVERIFY(!m_preferences->contains(PreferenceKeys::savedSuffixText));

        m_preferences->setText(PreferenceKeys::savedPrefixText, QString());
        m_preferences->setText(PreferenceKeys::savedSuffixText, QStringLiteral("Bye \u2019"));
        auto engine = makeEngine();
        QCOMPARE(engine->prefixText(), QString());
        QCOMPARE(engine->suffixText(), QStringLiteral("Bye \u2019"));

        // A value of another type reads as absent.
        m_preferences->setNumber(PreferenceKeys::savedPrefixText, 3);
        engine->loadSavedTexts();
        QCOMPARE(engine->prefixText(), PlexorViewModel::defaultPrefixText());
        // ... and is kept aside before a save replaces it.
        QVERIFY(m_preferences->preservedCorruptFile().isEmpty());
        engine->savePrefix();
        QVERIFY(m_preferences->flush());
        QVERIFY(!m_preferences->preservedCorruptFile().isEmpty());
    }

    void saveAndResetWriteTheKeys()
    {
        auto engine = makeEngine();
        QSignalSpy prefixSaved(engine.get(), &PlexorViewModel::prefixJustSavedChanged);
        engine->setPrefixText(QStringLiteral("Look:"));
        QVERIFY(!m_preferences->contains(PreferenceKeys::savedPrefixText));
        engine->savePrefix();
        QCOMPARE(m_preferences->text(PreferenceKeys::savedPrefixText), QStringLiteral("Look:"));
        QVERIFY(engine->prefixJustSaved());
        QCOMPARE(prefixSaved.count(), 1);

        engine->setSuffixText(QStringLiteral("x"));
        engine->saveSuffix();
        engine->resetSuffix();
        QCOMPARE(engine->suffixText(), PlexorViewModel::defaultSuffixText());
        QCOMPARE(m_preferences->text(PreferenceKeys::savedSuffixText),
                 PlexorViewModel::defaultSuffixText());
        QVERIFY(engine->suffixJustSaved());
        engine->resetPrefix();
        QCOMPARE(m_preferences->text(PreferenceKeys::savedPrefixText),
                 PlexorViewModel::defaultPrefixText());

        // What was stored is what the next engine reads, from the file itself.
        engine.reset();
        m_preferences.reset();
        Preferences reopened(preferencesPath());
        PlexorViewModel next(reopened, m_clipboard);
        QCOMPARE(next.suffixText(), PlexorViewModel::defaultSuffixText());
        QCOMPARE(next.prefixText(), PlexorViewModel::defaultPrefixText());
    }

    // Each raise lowers its flag two seconds later; a later raise does not put the earlier
    // lowering off. All four flags are raised at 0 s and 1 s: they must still drop at about
    // 2 s. Raised again at 2.5 s, they drop at 3 s, lowered by the timers of the 1 s raise.
    void flagsDropTwoSecondsAfterTheFirstRaise()
    {
        auto engine = makeEngine();
        QElapsedTimer clock;
        QList<qint64> loweredAt[4];
        const auto watch = [&](void (PlexorViewModel::*signal)(bool), int index) {
            connect(engine.get(), signal, this, [&, index](bool raised) {
                if (!raised)
                    loweredAt[index].append(clock.elapsed());
            });
        };
        watch(&PlexorViewModel::justCopiedChanged, 0);
        watch(&PlexorViewModel::justRegeneratedChanged, 1);
        watch(&PlexorViewModel::prefixJustSavedChanged, 2);
        watch(&PlexorViewModel::suffixJustSavedChanged, 3);
        const auto raiseAll = [&] {
            engine->copyToClipboard();
            engine->raiseJustRegenerated();
            engine->savePrefix();
            engine->saveSuffix();
        };
        const auto allRaised = [&] {
            return engine->justCopied() && engine->justRegenerated() && engine->prefixJustSaved() &&
                   engine->suffixJustSaved();
        };

        clock.start();
        raiseAll();
        QVERIFY(allRaised());
        QTest::qWait(1000);
        raiseAll();
        QTest::qWait(500);
        QVERIFY2(allRaised(), "lowered before two seconds");
        QTRY_VERIFY_WITH_TIMEOUT(!engine->justCopied() && !engine->justRegenerated() &&
                                     !engine->prefixJustSaved() && !engine->suffixJustSaved(),
                                 2000);
        for (const QList<qint64>& times : loweredAt) {
            QCOMPARE(times.size(), 1);
            QVERIFY2(times.first() >= 1950 && times.first() < 2600,
                     qPrintable(QString::number(times.first())));
        }

        while (clock.elapsed() < 2500)
            QTest::qWait(10);
        raiseAll();
        QVERIFY(allRaised());
        QTRY_VERIFY_WITH_TIMEOUT(!engine->justCopied() && !engine->justRegenerated() &&
                                     !engine->prefixJustSaved() && !engine->suffixJustSaved(),
                                 2000);
        for (const QList<qint64>& times : loweredAt) {
            QCOMPARE(times.size(), 2);
            QVERIFY2(times.last() >= 2950 && times.last() < 3600,
                     qPrintable(QString::number(times.last())));
        }
    }
};

QTEST_GUILESS_MAIN(TestEngineState)
#include "tst_enginestate.moc"
