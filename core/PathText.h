#pragma once

// The one crossing between the engine's paths (std::filesystem, bytes as the
// file system holds them) and the windows' text (QString). File names that
// are not valid in the locale's encoding survive the round trip.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <filesystem>

namespace Quillmark {

inline QString PathText(const std::filesystem::path& path) {
    return QFile::decodeName(path.c_str());
}

inline std::filesystem::path FilePath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

// Whether two paths name one folder, as the file system resolves them (a
// symbolic link to a folder is that folder); a path that does not exist is
// compared as written, cleaned.
inline bool SameFolder(const QString& a, const QString& b) {
    const auto resolved = [](const QString& path) {
        const QString canonical = QFileInfo(path).canonicalFilePath();
        return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
    };
    return !a.isEmpty() && !b.isEmpty() && resolved(a) == resolved(b);
}

}  // namespace Quillmark
