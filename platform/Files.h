#pragma once

// The program's one way to the file system for listing, naming and writing
// files: paths as the file system holds them (bytes), so that a name that is
// not UTF-8 is handled as any other. No Qt here; the windows reach these
// through core/PathText.h. Each call says what went wrong as the system's
// error code (its message() is the system's words), never by throwing.

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>

namespace Quillmark::Platform {

// The file layer's own codes, for what the system has no error number for.
enum class FileError {
    NotARegularFile = 1,  // a folder, a FIFO, a device...: never opened for reading
    TooLarge,             // larger than the reader's limit
};
const std::error_category& FileErrorCategory();
inline std::error_code make_error_code(FileError error) {
    return {static_cast<int>(error), FileErrorCategory()};
}

// Whether a file of this name is read as a font: it ends in ".ttf", ".otf",
// ".ttc", ".otc", ".woff" or ".woff2" (any letter case) after at least one
// other character. A name that is only
// the extension (".ttf") is a hidden file without a name, as
// std::filesystem::path::extension() sees it too, and not a font.
bool IsFontFileName(std::string_view name);

// One entry of a folder as it is listed.
class CFolderEntry {
public:
    CFolderEntry(int folderFd, std::string_view name, unsigned char type)
        : m_folderFd(folderFd), m_name(name), m_type(type) {}
    std::string_view Name() const { return m_name; }
    // Whether the entry is a folder, or a link that leads to one; asks the
    // system only for a link or an entry of unknown type. An entry that
    // cannot be looked at is not a folder.
    bool IsFolder() const;
    // Whether the entry is a symbolic link (as listed, not followed).
    bool IsLink() const;

private:
    int m_folderFd;
    std::string_view m_name;
    unsigned char m_type;
};

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator<(const FileIdentity& other) const {
        return device != other.device ? device < other.device : inode < other.inode;
    }
};

// Lists the entries of `folder` (never "." and ".."), in the order the
// system gives them, until `visit` returns false. `identity`, when given,
// receives the folder's own device and inode. Returns the error of opening
// the folder; an empty code when it was listed.
std::error_code ListFolder(const std::filesystem::path& folder,
                           const std::function<bool(const CFolderEntry&)>& visit,
                           FileIdentity* identity = nullptr);

// Whether something (a file, a folder, a link even dangling) has the name.
bool EntryExists(const std::filesystem::path& path);
// Whether the path leads to a folder (links followed).
bool IsFolder(const std::filesystem::path& path);
// Whether the path leads to a regular file (links followed).
bool IsRegularFile(const std::filesystem::path& path);

// Reads the whole of the regular file at `path` into `bytes`, at most
// `maxBytes` of it. It is looked at before it is opened (opening a device
// may do something), opened without blocking (a FIFO put in its place
// meanwhile opens at once, and is then refused) and looked at again.
// ENOENT when it is missing; FileError::NotARegularFile, FileError::TooLarge
// (also when it grows past the limit while it is read); `bytes` is empty on
// any failure.
std::error_code ReadFileWhole(const std::filesystem::path& path, std::size_t maxBytes,
                              std::string& bytes);

// Renames `from` to `to`, never replacing what is at `to`, even when it
// appears between a look and the rename (EEXIST then). Where the file
// system cannot refuse to replace, a file is linked to its new name (a link
// fails when the name is taken) and its old name removed; a folder, which
// cannot be linked, is renamed after a look, since rename(2) replaces only
// an empty folder.
std::error_code RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);
// Renames `from` to `to`, replacing a file at `to` in one step (rename(2)).
std::error_code RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Makes one folder; EEXIST when the name is taken.
std::error_code MakeFolder(const std::filesystem::path& folder, mode_t mode = 0777);
// Makes the folder and every missing folder above it; no error when it is
// there already as a folder.
std::error_code MakeFolders(const std::filesystem::path& folder, mode_t mode = 0777);

// How WriteFileWhole writes.
struct WholeFileOptions {
    // The name the new file is written under beside the target before it is
    // renamed over it; empty: a fresh "." NAME ".XXXXXX" name. A fixed name
    // lets a caller find and remove what a kill half-way left.
    std::filesystem::path pending;
    // Writes the bytes to the open file; empty: written as they are. Tests
    // put a failing writer here.
    std::function<std::error_code(int fd, std::string_view bytes)> write;
    // Reads the file back after fsync and compares.
    bool verify = false;
};

// Writes `bytes` as the whole of the file at `path`: into a new file beside
// it, flushed to the disk (fsync), renamed over the target and the folder
// flushed, so that a full disk, a failed write or a crash leaves either the
// old file untouched or the new one whole, never half of it. Only a regular
// file or a missing name is replaced: a folder is EISDIR, a device or a FIFO
// FileError::NotARegularFile, and nothing is written. A link at
// `path` is written through; the new file keeps an existing file's
// permissions. On failure the new file is removed.
std::error_code WriteFileWhole(const std::filesystem::path& path, std::string_view bytes,
                               const WholeFileOptions& options = {});
// What a symbolic link at `path` leads to, links followed (at most 128);
// `path` itself when it is no link (or a loop).
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// Copies a file to `to` whole: written under a temporary name beside `to`,
// flushed, given the source's permissions and modification time, and then
// renamed into place (replacing a file at `to` only when `replace`), so that
// a failure midway leaves no partial file.
std::error_code CopyFileWhole(const std::filesystem::path& from, const std::filesystem::path& to,
                              bool replace);
// Copies a file, a link (as the link it is) or a folder with everything in
// it to `to`, which must not exist. On failure what was copied is removed.
std::error_code CopyEntry(const std::filesystem::path& from, const std::filesystem::path& to);
// Removes a file, a link or a folder with everything in it.
std::error_code RemoveEntry(const std::filesystem::path& path);

// Moves a file, a link or a folder to `to`: a rename on one file system;
// across file systems a copy (CopyEntry) followed by removing the source
// only once the copy is whole, so that nothing is lost when either fails.
// `copiedButKept` is set when the copy is complete but the source could not
// be removed (both then exist).
std::error_code MoveEntry(const std::filesystem::path& from, const std::filesystem::path& to,
                          bool replace, bool* copiedButKept = nullptr);

// A folder held open for as long as this lives, reachable meanwhile by a
// name of plain ASCII ("/proc/self/fd/N"): for watching a folder whose name
// is not UTF-8 through an interface that names files by UTF-8 text.
class CHeldFolder {
public:
    explicit CHeldFolder(const std::filesystem::path& folder);
    ~CHeldFolder();
    CHeldFolder(const CHeldFolder&) = delete;
    CHeldFolder& operator=(const CHeldFolder&) = delete;
    bool IsHeld() const { return m_fd >= 0; }
    // The name the folder is reachable by; empty when it could not be held.
    std::string Alias() const;

private:
    int m_fd = -1;
};

// Whether the bytes are valid UTF-8 (a name Qt's text keeps as it is).
bool IsUtf8(std::string_view bytes);

// Percent-encodes a path's bytes as a URL path does: letters, digits,
// "-._~" and "/" stand as they are, every other byte as %XX.
std::string PercentEncodePath(std::string_view bytes);
// The bytes of a percent-encoded path ("%E9" one byte 0xE9).
std::string PercentDecode(std::string_view text);

// Moves a file or folder to the freedesktop.org trash: the home trash
// ($XDG_DATA_HOME/Trash) for a file on the home trash's file system, else
// the volume's "$TOP/.Trash/$UID" (when it is a sticky folder, no link) or
// "$TOP/.Trash-$UID". Its information file names the original path, its
// bytes percent-encoded. `trashedAs`, when given, receives where it went.
// ENOENT when the path is gone; EXDEV when no trash can take it.
std::error_code MoveEntryToTrash(const std::filesystem::path& path,
                                 std::filesystem::path* trashedAs = nullptr);

}  // namespace Quillmark::Platform

template <>
struct std::is_error_code_enum<Quillmark::Platform::FileError> : std::true_type {};
