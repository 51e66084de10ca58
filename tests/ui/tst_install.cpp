#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString appId = u"org.codeplexor.CodePlexor"_s;
const QString iconName = u"codeplexor"_s;
const QList<int> iconSizes{16, 24, 32, 48, 64, 128, 256, 512};

struct ProcessResult {
    int exitCode = -1;
    QString output;
};

ProcessResult run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ProcessResult result;
    if (!process.waitForFinished(180000) || process.exitStatus() != QProcess::NormalExit) {
        result.output = u"did not finish: "_s + process.errorString();
        return result;
    }
    result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

// The keys of the [Desktop Entry] group.
QHash<QString, QString> desktopEntry(const QString& path)
{
    QFile file(path);
    QHash<QString, QString> keys;
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return keys;
    QString group;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u'[')) {
            group = line;
        } else if (group == u"[Desktop Entry]" && line.contains(u'=')) {
            const qsizetype equals = line.indexOf(u'=');
            keys.insert(line.left(equals).trimmed(), line.mid(equals + 1).trimmed());
        }
    }
    return keys;
}

} // namespace

// Installs the build into a temporary prefix, as `cmake --install` does for a user or a package,
// and checks what a desktop needs to find, show and start the application.
class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir m_prefix;

    QString installed(const QString& relativePath) const { return m_prefix.filePath(relativePath); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        const ProcessResult install =
            run(QStringLiteral(CODEPLEXOR_TEST_CMAKE),
                {u"--install"_s, QStringLiteral(CODEPLEXOR_TEST_BUILD_DIR), u"--prefix"_s,
                 m_prefix.path()});
        QVERIFY2(install.exitCode == 0, qPrintable(install.output));
    }

    void binaries_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("application") << u"codeplexor"_s;
        QTest::newRow("command-line tool") << u"plexor"_s;
    }

    void binaries()
    {
        QFETCH(QString, name);
        const QFileInfo binary(installed(u"bin/"_s + name));
        QVERIFY2(binary.isFile(), qPrintable(binary.filePath()));
        QVERIFY(binary.isExecutable());
    }

    void desktopEntryStartsTheInstalledApplication()
    {
        const QString path = installed(u"share/applications/%1.desktop"_s.arg(appId));
        const QHash<QString, QString> entry = desktopEntry(path);
        QVERIFY2(!entry.isEmpty(), qPrintable(path));
        QCOMPARE(entry.value(u"Type"_s), u"Application"_s);
        QCOMPARE(entry.value(u"Name"_s), u"Code Plexor"_s);
        QVERIFY(!entry.value(u"Comment"_s).isEmpty());
        QCOMPARE(entry.value(u"Terminal"_s), u"false"_s);
        QVERIFY(entry.value(u"Categories"_s).split(u';').contains(u"Development"_s));
        // The window's class (the binary's name on X11) ties windows to this entry.
        QCOMPARE(entry.value(u"StartupWMClass"_s), u"codeplexor"_s);
        // The folder a file manager opens it with goes to the command line.
        QCOMPARE(entry.value(u"Exec"_s), u"codeplexor %f"_s);
        QVERIFY(QFileInfo(installed(u"bin/codeplexor"_s)).isExecutable());
        QCOMPARE(entry.value(u"MimeType"_s), u"inode/directory;"_s);
        QCOMPARE(entry.value(u"SingleMainWindow"_s), u"true"_s);
        QCOMPARE(entry.value(u"Icon"_s), iconName);
    }

    void icons_data()
    {
        QTest::addColumn<int>("size");
        for (int size : iconSizes)
            QTest::addRow("%dx%d", size, size) << size;
    }

    void icons()
    {
        QFETCH(int, size);
        const QString path =
            installed(u"share/icons/hicolor/%1x%1/apps/%2.png"_s.arg(size).arg(iconName));
        QImage image;
        QVERIFY2(image.load(path, "PNG"), qPrintable(path));
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
        // Transparent corners around an opaque, drawn middle.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(size / 2, size / 2)), 255);
    }

    void scalableIconIsTheDrawnOne()
    {
        QFile installedSvg(installed(u"share/icons/hicolor/scalable/apps/%1.svg"_s.arg(iconName)));
        QFile source(QStringLiteral(CODEPLEXOR_TEST_SOURCE_DIR) + u"/data/icons/codeplexor.svg");
        QVERIFY(installedSvg.open(QIODevice::ReadOnly));
        QVERIFY(source.open(QIODevice::ReadOnly));
        QCOMPARE(installedSvg.readAll(), source.readAll());
    }

    void metainfoDescribesThisRelease()
    {
        QFile file(installed(u"share/metainfo/%1.metainfo.xml"_s.arg(appId)));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(file.fileName()));
        QXmlStreamReader xml(&file);
        QHash<QString, QString> texts;
        QStringList releases;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement)
                continue;
            const QString name = xml.name().toString();
            if (name == u"release") {
                releases.append(xml.attributes().value(u"version"_s).toString());
            } else if (name == u"id" || name == u"name" || name == u"launchable" ||
                       name == u"project_license" || name == u"metadata_license") {
                texts.insert(name, xml.readElementText());
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(texts.value(u"id"_s), appId);
        QCOMPARE(texts.value(u"name"_s), u"Code Plexor"_s);
        QCOMPARE(texts.value(u"launchable"_s), appId + u".desktop"_s);
        QCOMPARE(texts.value(u"project_license"_s), u"MIT"_s);
        QCOMPARE(texts.value(u"metadata_license"_s), u"CC0-1.0"_s);
        QCOMPARE(releases.value(0), QStringLiteral(CODEPLEXOR_VERSION));
    }

    void licenseIsInstalled()
    {
        QFile copyright(installed(u"share/doc/codeplexor/copyright"_s));
        QVERIFY(copyright.open(QIODevice::ReadOnly));
        const QByteArray text = copyright.readAll();
        QVERIFY(text.startsWith("MIT License"));
        QVERIFY(text.contains("Code Plexor developers"));
    }

    void manualPagesFollowTheHelp()
    {
        for (const QString& page : {u"codeplexor"_s, u"plexor"_s})
            QVERIFY2(QFile::exists(installed(u"share/man/man1/%1.1.gz"_s.arg(page))),
                     qPrintable(page));
        const ProcessResult page =
            run(u"gzip"_s, {u"-dc"_s, installed(u"share/man/man1/plexor.1.gz"_s)});
        QCOMPARE(page.exitCode, 0);
        // The page writes "-" as "\\-".
        const QString manual = QString(page.output).replace(u"\\-"_s, u"-"_s);
        const ProcessResult help = run(installed(u"bin/plexor"_s), {u"--help"_s});
        QCOMPARE(help.exitCode, 0);

        // Every command and option that --help names, the page describes.
        QStringList named;
        static const QRegularExpression command(u"^  plexor (\\w+)"_s,
                                                QRegularExpression::MultilineOption);
        for (const QRegularExpressionMatch& match : command.globalMatch(help.output))
            named << u".B "_s + match.captured(1);
        static const QRegularExpression option(u"(?<![\\w-])(--?[a-z][a-z-]*)"_s);
        for (const QRegularExpressionMatch& match : option.globalMatch(help.output))
            named << match.captured(1);
        QVERIFY(named.contains(u".B projects"_s) && named.contains(u"--select"_s));
        for (const QString& name : std::as_const(named))
            QVERIFY2(manual.contains(name), qPrintable(name));
    }

    void packageChangeLogIsInstalled()
    {
        const ProcessResult log =
            run(u"gzip"_s, {u"-dc"_s, installed(u"share/doc/codeplexor/changelog.Debian.gz"_s)});
        QCOMPARE(log.exitCode, 0);
        QVERIFY2(
            log.output.startsWith(u"codeplexor ("_s + QStringLiteral(CODEPLEXOR_VERSION) + u'-'),
            qPrintable(log.output));
        QVERIFY(log.output.contains(u" -- Code Plexor developers <"_s));
    }

    void desktopEntryValidates()
    {
        const QString tool = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
        if (tool.isEmpty())
            QSKIP("desktop-file-validate is not installed (package desktop-file-utils)");
        const ProcessResult result =
            run(tool, {installed(u"share/applications/%1.desktop"_s.arg(appId))});
        // Every line it prints is a complaint (warnings too, where it exits with 0), except that
        // validators of Desktop Entry 1.4 (Debian 12's) call the 1.5 key SingleMainWindow unknown.
        QStringList complaints = result.output.split(u'\n', Qt::SkipEmptyParts);
        complaints.removeIf(
            [](const QString& line) { return line.contains(u"key \"SingleMainWindow\""_s); });
        QVERIFY2(complaints.isEmpty(), qPrintable(result.output));
    }

    void metainfoValidates()
    {
        const QString tool = QStandardPaths::findExecutable(u"appstreamcli"_s);
        if (tool.isEmpty())
            QSKIP("appstreamcli is not installed (package appstream)");
        const ProcessResult result =
            run(tool, {u"validate"_s, u"--no-net"_s,
                       installed(u"share/metainfo/%1.metainfo.xml"_s.arg(appId))});
        QVERIFY2(result.exitCode == 0, qPrintable(result.output));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
