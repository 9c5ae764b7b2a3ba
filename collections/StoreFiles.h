#pragma once

// Reading and writing a store's file whole, so that nothing a user gathered
// is lost: a file is read only when it is a regular file of a bounded size,
// and a save is written beside the old file and moved over it only once it
// is whole (flushed, synced and read back), so that a crash, a full disk or
// a failing write leaves the old file as it was.

#include <QByteArray>
#include <QString>
#include <functional>

#include "platform/Result.h"

class QIODevice;

namespace Quillmark {

// Writes `bytes` to an open file; returns false on failure. Tests pass one
// that fails or stops half-way.
using CFileWriter = std::function<bool(QIODevice& file, const QByteArray& bytes)>;
bool WriteAll(QIODevice& file, const QByteArray& bytes);

// The largest store file read.
constexpr qint64 kMaxStoreFileBytes = 64 * 1024 * 1024;

// The whole of a store's file: only a regular file, opened without blocking,
// of at most kMaxStoreFileBytes. The failure's code is ENOENT for a missing
// file, Platform::FileError::NotARegularFile or ::TooLarge, else the
// system's error.
CResult<QByteArray> ReadStoreBytes(const QString& path);
// Writes `bytes` to `path` through a file beside it that replaces `path` only
// once it is written, flushed, synced and read back whole. A kill at any
// moment leaves `path` old or new, and at most the file
// PendingFilePath(path), which RemoveLeftovers removes (as every save and
// the application's load do).
CResult<> WriteWholeFile(const QString& path, const QByteArray& bytes,
                         const CFileWriter& writer = WriteAll);
// "<path>.quillmark-new", beside the file a link at `path` leads to.
QString PendingFilePath(const QString& path);
void RemoveLeftovers(const QString& path);

}  // namespace Quillmark
