#pragma once

#include <QByteArrayView>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct git_repository;

// What git knows about a project folder that lies inside a git work tree: which entries git
// ignores, and which files it reports as changed. Answers come from libgit2, so they follow git's
// own rules: nested .gitignore files, negations, .git/info/exclude, the user's global excludes
// file (core.excludesFile, or $XDG_CONFIG_HOME/git/ignore).
//
// Paths given to and returned by the queries are relative to the project folder (which may be a
// folder below the work tree's top), with "/" between components, in UTF-8.
//
// Opening reads the paths the index tracks (again only when the index file changed since the
// last opening of the same repository). Entries are decided folder by folder, in the order a walk
// meets them: the tracked paths below a folder are one run of the index's sorted paths, found
// when the folder is met, so that an entry costs a short binary search in its folder's run
// (tracked files are never ignored, and a folder holding tracked files is always walked). Only
// untracked entries cost an ignore-rule query, and not even those inside a folder git ignores:
// git never takes an untracked entry below an ignored folder back in, whatever the rules below
// it say.
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
    // --exclude-standard`: an untracked entry matched by the ignore rules, or below a folder they
    // match. A tracked file, or a folder holding tracked files, is never left out. Cheapest when
    // asked in the order of a pre-order walk (each folder before what is inside it); any order
    // gives the same answers.
    bool ignores(QByteArrayView relativePath, bool isFolder);

    // The files `git status` reports as modified, added, renamed, copied, changed in type or
    // untracked (not ignored), relative to the project folder; deleted files are left out, and
    // so is anything outside the project folder. Nullopt with `error` set when git cannot tell.
    std::optional<QSet<QString>> changedFiles(QString* error = nullptr);

    struct Repository;

private:
    GitWorkTree();

    // A folder on the way from the project folder down to the entries being decided.
    struct Folder {
        // From the project folder, ending in "/" (empty for the project folder itself).
        std::string path;
        // The run of tracked paths below it, as indexes into Repository::tracked.
        size_t begin = 0;
        size_t end = 0;
        // Whether git ignores it; unknown until an untracked entry inside it is decided.
        std::optional<bool> ignored;
    };

    // The folder `parent` (a path from the project folder ending in "/", or empty), with the
    // folders above it, from the ones met before.
    Folder& folderAt(std::string_view parent);
    Folder enter(const Folder& above, std::string_view name) const;
    bool isIgnored(size_t level);
    // Asks the ignore rules about a path from the project folder (ending in "/" for a folder).
    bool askGit(std::string_view path);

    std::shared_ptr<Repository> m_open;
    git_repository* m_repository = nullptr;
    // The project folder relative to the top of the work tree: empty, or ending in "/".
    std::string m_prefix;
    // The folders from the project folder down to the last folder met.
    std::vector<Folder> m_folders;
    // A path being asked about and a tracked path looked for, from the top (kept to spare
    // allocations).
    std::string m_path;
    std::string m_key;
};
