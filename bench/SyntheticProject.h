#pragma once

#include <QString>
#include <QStringList>

// Writes a large synthetic project into a folder: sources in many folders with mixed
// extensions, a big dependency folder, and a set of larger files that a user might select.
class SyntheticProject {
public:
    struct Shape {
        int packages = 100;
        int modulesPerPackage = 100;
        int filesPerModule = 10;
        int dependencyPackages = 500;
        int filesPerDependency = 100;
        // Size of the first file of every module, the one selected for generation.
        int selectedFileBytes = 10 * 1024;
        int otherFileBytes = 64;
    };

    SyntheticProject(QString root, Shape shape);

    // Creates everything on disk. False (with a message on standard error) on failure.
    bool write();

    const QString& root() const { return m_root; }
    // Absolute paths of the selected files (one per module).
    const QStringList& selectedPaths() const { return m_selectedPaths; }
    qint64 selectedBytes() const { return m_selectedBytes; }
    int fileCount() const { return m_fileCount; }
    int folderCount() const { return m_folderCount; }

private:
    bool makeFolder(const QByteArray& path);
    bool writeFile(const QByteArray& path, const QByteArray& content);

    QString m_root;
    Shape m_shape;
    QStringList m_selectedPaths;
    qint64 m_selectedBytes = 0;
    int m_fileCount = 0;
    int m_folderCount = 0;
};
