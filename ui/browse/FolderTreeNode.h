#pragma once

// The folder tree model's items and the small helpers its parts share; for
// FolderTree*.cpp only.

#include <QDir>
#include <QString>
#include <memory>
#include <vector>

#include "ui/browse/FolderScan.h"
#include "ui/browse/FolderTreeModel.h"

namespace Quillmark {

struct CFolderTreeModel::CNode {
    Kind kind = Kind::Folder;
    CNode* parent = nullptr;
    int row = 0;  // in the parent's children
    std::vector<std::unique_ptr<CNode>> children;
    QString path;    // the parsing name
    QString fsPath;  // the folder on disk; empty for Computer
    QString name;    // the folder's own name (a volume: its mount point's)
    Platform::VolumeKind volumeKind = Platform::VolumeKind::Fixed;
    bool loaded = false;                // the children are listed
    bool hasSubfolders = false;         // before they are listed
    bool watched = false;               // counted in m_watches
    bool shown = false;                 // in m_shown
    std::pair<quint64, quint64> key{};  // the folder's device and inode, while watched

    // A read of the disk not answered yet: the token its answer brings (in
    // m_reads), and what it reads (whether subfolders are there, or them all).
    CRead read = CRead::None;
    quint64 readToken = 0;
    quint64 readJob = 0;       // the reader's id of it, to wait for it
    bool listWanted = false;   // expanded while a look was pending: listed once it answers
    bool readAgain = false;    // told of a change while a read was pending
    quint64 listedAt = 0;      // the model's serial when its listing last came
    bool placeholder = false;  // the row "Reading…" under a folder being listed
};

// What a worker brings back from a folder: plain data, never a node.
struct CFolderTreeModel::CListing {
    QString folder;  // the folder read (set before the read starts)
    bool ok = false;
    std::vector<CSubfolder> subfolders;
    bool homeHasSubfolders = false;  // the desktop's listing: whether Home has any
};

namespace FolderTree {

inline QString Join(const QString& folder, const QString& name) {
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

inline QString Clean(const QString& path) {
    return QDir::cleanPath(path);
}

// A name to show: bytes that are not UTF-8 (kept as lone surrogates) as U+FFFD.
inline QString Shown(const QString& name) {
    QString shown = name;
    for (QChar& c : shown) {
        if (c.isSurrogate()) {
            c = QChar(QChar::ReplacementCharacter);
        }
    }
    return shown;
}

}  // namespace FolderTree

}  // namespace Quillmark
