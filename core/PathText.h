#pragma once

// The one crossing between the engine's paths (std::filesystem, bytes as the
// file system holds them) and the windows' text (QString). A file name that
// is not valid UTF-8 survives the round trip: each byte that does not decode
// is kept as a lone surrogate (U+DC80..U+DCFF), so such text is for opening
// the file again, never for showing; ShownPath is for showing.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QUrl>
#include <filesystem>
#include <string_view>

#include "platform/Files.h"
#include "platform/PathBytes.h"

namespace Quillmark {

inline QString PathText(const std::filesystem::path& path) {
    const std::u16string text = Platform::PathBytesToText(path.native());
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::filesystem::path FilePath(const QString& text) {
    return std::filesystem::path(Platform::PathTextToBytes(std::u16string_view(
        reinterpret_cast<const char16_t*>(text.utf16()), static_cast<std::size_t>(text.size()))));
}

// A path for showing: each byte that does not decode as U+FFFD.
inline QString ShownPath(const std::filesystem::path& path) {
    return QString::fromStdString(Platform::PathDisplayText(path.native()));
}

// A file's URL ("file:///..."), its bytes percent-encoded as they are, so
// that a drop target gets the very bytes of a name that is not UTF-8.
inline QUrl FileUrl(const std::filesystem::path& path) {
    return QUrl::fromEncoded(QByteArray("file://") +
                             QByteArray::fromStdString(Platform::PercentEncodePath(path.native())));
}
inline QUrl FileUrl(const QString& pathText) {
    return FileUrl(FilePath(pathText));
}

// The path of a local file's URL, each percent-encoded byte as it is; empty
// for a URL that is no local file.
inline std::filesystem::path UrlFilePath(const QUrl& url) {
    if (!url.isLocalFile()) {
        return {};
    }
    return std::filesystem::path(
        Platform::PercentDecode(url.path(QUrl::FullyEncoded).toStdString()));
}
// The same as text that keeps every byte (see PathText).
inline QString UrlPathText(const QUrl& url) {
    return url.isLocalFile() ? PathText(UrlFilePath(url)) : QString();
}

// Whether the text is a full path ("/..."), one that names the same file
// whatever folder the program was started from. A relative path is none,
// nor is a Qt resource path (":/...").
inline bool IsFullPath(const QString& text) {
    return text.startsWith(QLatin1Char('/'));
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
