#pragma once

#include <QByteArrayView>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <string>

struct git_index;
struct git_repository;

// What git knows about a project folder that lies inside a git work tree: which entries git
// ignores, and which files it reports as changed. Answers come from libgit2, so they follow git's
// own rules: nested .gitignore files, negations, .git/info/exclude, the user's global excludes
// file (core.excludesFile, or $XDG_CONFIG_HOME/git/ignore).
//
// Paths given to and returned by the queries are relative to the project folder (which may be a
// folder below the work tree's top), with "/" between components, in UTF-8.
//
// Opening reads the index (again only when it changed since the last opening of the same
// repository). Deciding an entry costs a hash look-up among the index's paths (tracked files
// are never ignored, and a folder holding tracked files is always walked), and one ignore-rule
// query for anything else; so the cost grows with the untracked entries, not with the size of
// the tree.
class GitWorkTree {
public:
    ~GitWorkTree();
    GitWorkTree(const GitWorkTree&) = delete;
    GitWorkTree& operator=(const GitWorkTree&) = delete;

    // Whether `folder` lies inside a git work tree (cheap: nothing but the repository is read).
    static bool contains(const QString& folder);

    // The work tree holding `folder`; nullptr when the folder is in none (or only in a bare
    // repository) or the repository cannot be read.
    static std::unique_ptr<GitWorkTree> open(const QString& folder);

    // Whether git leaves the entry at `relativePath` out of `git ls-files --cached --others
    // --exclude-standard`: an untracked entry matched by the ignore rules. A tracked file, or a
    // folder holding tracked files, is never left out. The answer for an entry inside an
    // ignored folder is only meaningful when the folder is walked at all, that is when it
    // holds tracked files.
    bool ignores(QByteArrayView relativePath, bool isFolder);

    // The files `git status` reports as modified, added, renamed, copied, changed in type or
    // untracked (not ignored), relative to the project folder; deleted files are left out, and
    // so is anything outside the project folder. Nullopt with `error` set when git cannot tell.
    std::optional<QSet<QString>> changedFiles(QString* error = nullptr);

    struct Repository;

private:
    GitWorkTree();

    std::shared_ptr<Repository> m_open;
    git_repository* m_repository = nullptr;
    git_index* m_index = nullptr;
    // The project folder relative to the top of the work tree: empty, or ending in "/".
    std::string m_prefix;
    // The path of the entry being decided, relative to the top (kept to spare an allocation).
    std::string m_path;
};
