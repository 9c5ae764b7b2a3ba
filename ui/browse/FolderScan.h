#pragma once

// The subfolders of a folder, as the folder tree shows them: hidden ones
// (a name beginning with ".") left out, a link to a folder counted as a
// folder. Plain system calls: a tree expands folders of many thousand
// subfolders, and each one's expand button must be decided without listing
// it whole.

#include <QString>
#include <functional>
#include <vector>

namespace Quillmark {

struct CSubfolder {
    QString name;  // as the file system holds it (PathText: survives bytes that are not UTF-8)
    bool hasSubfolders = false;
};

// The folder's visible subfolders in the order the directory gives them;
// false when it cannot be read (missing, no permission).
bool ListSubfolders(const QString& folder, std::vector<CSubfolder>& out);

// Whether the folder holds at least one visible subfolder. Reads only up to
// the first one; a folder whose link count says it has no subfolder at all
// is not opened.
bool HasSubfolders(const QString& folder);

// Tests only: called with the path before a worker of the window reads it
// (ListSubfolders and HasSubfolders with the folder; the project view with
// each dropped file it checks), on the thread that reads it; a hook that
// sleeps or blocks stands for a path that is slow to answer (a hung network
// mount). Empty: none. Safe to set while another thread reads.
using CListingHook = std::function<void(const QString& path)>;
void SetListingHookForTests(CListingHook hook);
// Runs the hook, if any, for `path`.
void BeforeReading(const QString& path);

// Whether anything (file, folder, link, even a dangling one) is at `path`.
bool PathExists(const QString& path);

}  // namespace Quillmark
