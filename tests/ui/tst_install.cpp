#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
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
        }
        QVERIFY(QFileInfo(installed(u"share/icons/hicolor/scalable/apps/codeplexor.svg"_s)).size() >
                0);
    }

    // Names the desktop entry and lists this version as the newest release (appstreamcli checks
    // the rest of the form).
    void metainfoDescribesThisRelease()
    {
        const QString xml =
            QString::fromUtf8(read(installed(u"share/metainfo/%1.metainfo.xml"_s.arg(appId))));
        QVERIFY(xml.contains(u"<id>"_s + appId + u"</id>"_s) &&
                xml.contains(u">"_s + appId + u".desktop</launchable>"_s));
        static const QRegularExpression release(u"<release version=\"([^\"]*)\""_s);
        QCOMPARE(release.match(xml).captured(1), u"" CODEPLEXOR_VERSION ""_s);
    }

    // desktop-file-validate prints complaints only (warnings too, where it exits with 0), except
    // that validators of Desktop Entry 1.4 (Debian 12's) call the 1.5 key SingleMainWindow
    // unknown; appstreamcli is judged by its exit code.
    void validatorsAccept()
    {
        const QString desktop = QStandardPaths::findExecutable(u"desktop-file-validate"_s);
        const QString appstream = QStandardPaths::findExecutable(u"appstreamcli"_s);
        if (desktop.isEmpty() || appstream.isEmpty())
            QSKIP("validators not installed (packages desktop-file-utils, appstream)");
        QStringList complaints =
            run(desktop, {installed(u"share/applications/%1.desktop"_s.arg(appId))})
                .second.split(u'\n', Qt::SkipEmptyParts);
        complaints.removeIf(
            [](const QString& line) { return line.contains(u"key \"SingleMainWindow\""_s); });
        QVERIFY2(complaints.isEmpty(), qPrintable(complaints.join(u'\n')));
        const auto [code, output] =
            run(appstream, {u"validate"_s, u"--no-net"_s,
                            installed(u"share/metainfo/%1.metainfo.xml"_s.arg(appId))});
        QVERIFY2(code == 0, qPrintable(output));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
