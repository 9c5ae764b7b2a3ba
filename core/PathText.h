#pragma once

// The one crossing between the engine's paths (std::filesystem, bytes as the
// file system holds them) and the windows' text (QString). File names that
// are not valid in the locale's encoding survive the round trip.

#include <QFile>
#include <QString>
#include <filesystem>

namespace Quillmark {

inline QString PathText(const std::filesystem::path& path) {
    return QFile::decodeName(path.c_str());
}

inline std::filesystem::path FilePath(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

}  // namespace Quillmark
