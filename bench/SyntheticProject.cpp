#include "SyntheticProject.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Eight of the ten endings are taken by the default file-type table, two are not.
const char* const extensions[] = {".swift", ".py",  ".js", ".ts",  ".c",
                                  ".h",     ".cpp", ".md", ".txt", ".png"};

// Source-like text, mostly ASCII with some multi-byte characters, `size` bytes long.
QByteArray sourceText(int size, int seed)
{
    QByteArray text;
    text.reserve(size + 128);
    int line = 0;
    while (text.size() < size) {
        if (line % 40 == 39)
            text += "    // caf\xc3\xa9 \xe2\x86\x92 r\xc3\xa9sum\xc3\xa9\n";
        else
            text += "    let value" + QByteArray::number(seed + line) +
                    " = compute(input, offset: " + QByteArray::number(line) + ")\n";
        ++line;
    }
    text.truncate(size);
    // Never cut a multi-byte character in two.
    while (!text.isEmpty() && (static_cast<unsigned char>(text.back()) & 0x80))
        text.chop(1);
    text += '\n';
    return text;
}

} // namespace

SyntheticProject::SyntheticProject(QString root, Shape shape)
    : m_root(std::move(root))
    , m_shape(shape)
{}

bool SyntheticProject::makeFolder(const QByteArray& path)
{
    if (::mkdir(path.constData(), 0755) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "mkdir %s: %s\n", path.constData(), std::strerror(errno));
        return false;
    }
    ++m_folderCount;
    return true;
}

bool SyntheticProject::writeFile(const QByteArray& path, const QByteArray& content)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        std::fprintf(stderr, "create %s: %s\n", path.constData(), std::strerror(errno));
        return false;
    }
    const bool ok = ::write(fd, content.constData(), static_cast<size_t>(content.size())) ==
                    static_cast<ssize_t>(content.size());
    ::close(fd);
    ++m_fileCount;
    return ok;
}

bool SyntheticProject::write()
{
    const QByteArray root = QFile::encodeName(m_root);
    const QByteArray small = sourceText(m_shape.otherFileBytes, 0);
    if (!makeFolder(root + "/src"))
        return false;
    for (int p = 0; p < m_shape.packages; ++p) {
        const QByteArray package = root + "/src/package" + QByteArray::number(p);
        if (!makeFolder(package))
            return false;
        for (int m = 0; m < m_shape.modulesPerPackage; ++m) {
            const QByteArray module = package + "/module" + QByteArray::number(m);
            if (!makeFolder(module))
                return false;
            for (int f = 0; f < m_shape.filesPerModule; ++f) {
                const QByteArray path = module + "/file" + QByteArray::number(f) +
                                        extensions[(f + m) % std::size(extensions)];
                const bool selected = f == 0;
                // The selected file always has a taken ending.
                const QByteArray name = selected ? module + "/Main.swift" : path;
                const QByteArray content =
                    selected ? sourceText(m_shape.selectedFileBytes, p * 1000 + m) : small;
                if (!writeFile(name, content))
                    return false;
                if (selected) {
                    m_selectedPaths.append(QFile::decodeName(name));
                    m_selectedBytes += content.size();
                }
            }
        }
    }
    const QByteArray dependencies = root + "/node_modules";
    if (!makeFolder(dependencies))
        return false;
    for (int d = 0; d < m_shape.dependencyPackages; ++d) {
        const QByteArray package = dependencies + "/dep" + QByteArray::number(d);
        if (!makeFolder(package))
            return false;
        for (int f = 0; f < m_shape.filesPerDependency; ++f) {
            if (!writeFile(package + "/index" + QByteArray::number(f) + ".js", small))
                return false;
        }
    }
    return true;
}
