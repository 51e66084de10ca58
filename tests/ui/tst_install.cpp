#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

const QString appId = u"org.codeplexor.CodePlexor"_s;

// The exit code (-1 when it did not finish) and the merged output of a command.
std::pair<int, QString> run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(180000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, u"did not finish: "_s + process.errorString()};
    return {process.exitCode(), QString::fromUtf8(process.readAll())};
}

} // namespace

// Installs the build into a temporary prefix, as `cmake --install` does for a user or a package,
// and checks what a desktop needs to find, show and start the application.
class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir m_prefix;

    QString installed(const QString& relativePath) const { return m_prefix.filePath(relativePath); }
    QByteArray read(const QString& path) const
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QString gunzip(const QString& relativePath) const
    {
        const auto [code, text] = run(u"gzip"_s, {u"-dc"_s, installed(relativePath)});
        return code == 0 ? text : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        const auto [code, output] = run(QStringLiteral(CODEPLEXOR_TEST_CMAKE),
                                        {u"--install"_s, QStringLiteral(CODEPLEXOR_TEST_BUILD_DIR),
                                         u"--prefix"_s, m_prefix.path()});
        QVERIFY2(code == 0, qPrintable(output));
    }

    void desktopEntryStartsTheInstalledApplication()
    {
        for (const QString& binary : {u"bin/codeplexor"_s, u"bin/plexor"_s})
            QVERIFY2(QFileInfo(installed(binary)).isExecutable(), qPrintable(binary));
        const QStringList entry =
            QString::fromUtf8(read(installed(u"share/applications/%1.desktop"_s.arg(appId))))
                .section(u"[Desktop Entry]\n"_s, 1)
                .section(u"\n["_s, 0, 0)
                .split(u'\n');
        QVERIFY(entry.filter(QRegularExpression(u"^Comment=."_s)).size() == 1);
        // The window's class (the binary's name on X11) ties windows to this entry; the folder a
        // file manager opens it with goes to the command line.
        for (const char* line :
             {"Type=Application", "Name=Code Plexor", "Terminal=false", "Categories=Development;",
              "StartupWMClass=codeplexor", "Exec=codeplexor %f", "MimeType=inode/directory;",
              "SingleMainWindow=true", "Icon=codeplexor"})
            QVERIFY2(entry.contains(QString::fromUtf8(line)), line);
    }

    void iconsAtEverySize()
    {
        for (int size : {16, 24, 32, 48, 64, 128, 256, 512}) {
            const QString path =
                installed(u"share/icons/hicolor/%1x%1/apps/codeplexor.png"_s.arg(size));
            QImage image;
            QVERIFY2(image.load(path, "PNG"), qPrintable(path));
            QCOMPARE(image.size(), QSize(size, size));
            // Transparent corners around an opaque, drawn middle.
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
        }
        QCOMPARE(read(installed(u"share/icons/hicolor/scalable/apps/codeplexor.svg"_s)),
                 read(QStringLiteral(CODEPLEXOR_TEST_SOURCE_DIR "/data/icons/codeplexor.svg")));
    }

    void metainfoDescribesThisRelease()
    {
        QXmlStreamReader xml(read(installed(u"share/metainfo/%1.metainfo.xml"_s.arg(appId))));
        QStringList found;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QString name = xml.name().toString();
            if (name == u"release" && !found.contains(u"release"_s))
                found << name + u' ' + xml.attributes().value(u"version"_s).toString();
            else if (QStringList{u"id"_s, u"name"_s, u"launchable"_s, u"project_license"_s,
                                 u"metadata_license"_s}
                         .contains(name))
                found << name + u' ' + xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        found.sort();
        QCOMPARE(found, (QStringList{u"id "_s + appId, u"launchable "_s + appId + u".desktop"_s,
                                     u"metadata_license CC0-1.0"_s, u"name Code Plexor"_s,
                                     u"project_license MIT"_s,
                                     u"release "_s + QStringLiteral(CODEPLEXOR_VERSION)}));
    }

    void documentsAreInstalled()
    {
        const QByteArray copyright = read(installed(u"share/doc/codeplexor/copyright"_s));
        QVERIFY(copyright.startsWith("MIT License") &&
                copyright.contains("Code Plexor developers"));
        const QString log = gunzip(u"share/doc/codeplexor/changelog.Debian.gz"_s);
        QVERIFY2(log.startsWith(u"codeplexor (" CODEPLEXOR_VERSION "-"_s) &&
                     log.contains(u" -- Code Plexor developers <"_s),
                 qPrintable(log));
        QVERIFY(!gunzip(u"share/man/man1/codeplexor.1.gz"_s).isEmpty());
        // Every command and option that plexor --help names, its manual page describes (the page
        // writes "-" as "\-").
        const QString manual = gunzip(u"share/man/man1/plexor.1.gz"_s).replace(u"\\-"_s, u"-"_s);
        const auto [code, help] = run(installed(u"bin/plexor"_s), {u"--help"_s});
        QCOMPARE(code, 0);
        QStringList named;
        static const QRegularExpression command(u"^  plexor (\\w+)"_s,
                                                QRegularExpression::MultilineOption);
        for (const QRegularExpressionMatch& match : command.globalMatch(help))
            named << u".B "_s + match.captured(1);
        static const QRegularExpression option(u"(?<![\\w-])(--?[a-z][a-z-]*)"_s);
        for (const QRegularExpressionMatch& match : option.globalMatch(help))
            named << match.captured(1);
        QVERIFY(named.contains(u".B projects"_s) && named.contains(u"--select"_s));
        for (const QString& name : std::as_const(named))
            QVERIFY2(manual.contains(name), qPrintable(name));
    }

    void validatorsAccept_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("judgedByOutput");
        QTest::newRow("desktop entry")
            << u"desktop-file-validate"_s
            << QStringList{u"share/applications/%1.desktop"_s.arg(appId)} << true;
        QTest::newRow("metainfo") << u"appstreamcli"_s
                                  << QStringList{u"validate"_s, u"--no-net"_s,
                                                 u"share/metainfo/%1.metainfo.xml"_s.arg(appId)}
                                  << false;
    }

    void validatorsAccept()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(bool, judgedByOutput);
        const QString program = QStandardPaths::findExecutable(tool);
        if (program.isEmpty())
            QSKIP("the validator is not installed (packages desktop-file-utils, appstream)");
        arguments.last() = installed(arguments.last());
        const auto [code, output] = run(program, arguments);
        // Every line desktop-file-validate prints is a complaint (warnings too, where it exits
        // with 0), except that validators of Desktop Entry 1.4 (Debian 12's) call the 1.5 key
        // SingleMainWindow unknown.
        QStringList complaints = output.split(u'\n', Qt::SkipEmptyParts);
        complaints.removeIf(
            [](const QString& line) { return line.contains(u"key \"SingleMainWindow\""_s); });
        QVERIFY2(judgedByOutput ? complaints.isEmpty() : code == 0, qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
