#pragma once

// The desktop's file manager and default applications.

#include <QString>
#include <QStringList>

namespace Quillmark::Platform {

// Opens a file or folder with the desktop's default application for it.
bool OpenWithDesktop(const QString& path);

// Shows the files in the file manager with them selected
// (org.freedesktop.FileManager1.ShowItems over D-Bus); when no file manager
// answers, opens the folder of the first one instead.
bool ShowItemsInFileManager(const QStringList& paths);

// Opens the folders in the file manager (FileManager1.ShowFolders), falling
// back to opening the first one with the desktop's default application.
bool ShowFoldersInFileManager(const QStringList& folders);

}  // namespace Quillmark::Platform
