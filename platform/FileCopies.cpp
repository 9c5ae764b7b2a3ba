#include "platform/Files.h"

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/FileCalls.h"

namespace Quillmark::Platform {

namespace fs = std::filesystem;
using namespace FileCalls;

namespace {

std::error_code CopyFileData(int in, int out) {
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = ::read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return LastError();
        }
        if (got == 0) {
            return {};
        }
        if (const std::error_code error = WriteAllBytes(
                out, std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
            return error;
        }
    }
}

std::error_code CopyLink(const fs::path& from, const fs::path& to) {
    std::string target(4096, '\0');
    const ssize_t length = ::readlink(from.c_str(), target.data(), target.size());
    if (length < 0) {
        return LastError();
    }
    target.resize(static_cast<std::size_t>(length));
    return ::symlink(target.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

std::error_code CopyFolder(const fs::path& from, const fs::path& to) {
    struct stat info {};
    if (::stat(from.c_str(), &info) != 0) {
        return LastError();
    }
    if (const std::error_code error = MakeFolder(to)) {
        return error;
    }
    std::vector<std::string> names;
    const std::error_code listed = ListFolder(from, [&](const CFolderEntry& entry) {
        names.emplace_back(entry.Name());
        return true;
    });
    std::error_code error = listed;
    for (const std::string& name : names) {
        if (error) {
            break;
        }
        error = CopyEntry(from / name, to / name);
    }
    if (error) {
        RemoveEntry(to);
        return error;
    }
    (void)::chmod(to.c_str(), info.st_mode & 07777);
    return {};
}

}  // namespace

std::error_code CopyFileWhole(const fs::path& from, const fs::path& to, bool replace) {
    const CFd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.Get() < 0) {
        return LastError();
    }
    struct stat info {};
    if (::fstat(in.Get(), &info) != 0) {
        return LastError();
    }
    fs::path temporary;
    CFd out(MakeTemporaryBeside(to, temporary));
    if (out.Get() < 0) {
        return LastError();
    }
    const auto fail = [&](std::error_code error) {
        out.Close();
        ::unlink(temporary.c_str());
        return error;
    };
    if (const std::error_code error = CopyFileData(in.Get(), out.Get())) {
        return fail(error);
    }
    if (const std::error_code error = Sync(out.Get())) {
        return fail(error);
    }
    (void)::fchmod(out.Get(), info.st_mode & 07777);
    const timespec times[2] = {info.st_atim, info.st_mtim};
    (void)::futimens(out.Get(), times);
    if (const std::error_code error = out.Close()) {
        return fail(error);
    }
    const std::error_code renamed =
        replace ? RenameReplacing(temporary, to) : RenameNoReplace(temporary, to);
    if (renamed) {
        ::unlink(temporary.c_str());
        return renamed;
    }
    SyncFolderOf(to);
    return {};
}

std::error_code CopyEntry(const fs::path& from, const fs::path& to) {
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0) {
        return LastError();
    }
    if (S_ISLNK(info.st_mode)) {
        return CopyLink(from, to);
    }
    if (S_ISDIR(info.st_mode)) {
        return CopyFolder(from, to);
    }
    return CopyFileWhole(from, to, false);
}

std::error_code RemoveEntry(const fs::path& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return LastError();
    }
    if (!S_ISDIR(info.st_mode)) {
        return ::unlink(path.c_str()) == 0 ? std::error_code() : LastError();
    }
    std::vector<std::string> names;
    if (const std::error_code error = ListFolder(path, [&](const CFolderEntry& entry) {
            names.emplace_back(entry.Name());
            return true;
        })) {
        return error;
    }
    std::error_code first;
    for (const std::string& name : names) {
        const std::error_code error = RemoveEntry(path / name);
        if (error && !first) {
            first = error;
        }
    }
    if (first) {
        return first;
    }
    return ::rmdir(path.c_str()) == 0 ? std::error_code() : LastError();
}

std::error_code MoveEntry(const fs::path& from, const fs::path& to, bool replace,
                          bool* copiedButKept) {
    if (copiedButKept != nullptr) {
        *copiedButKept = false;
    }
    const std::error_code renamed = replace ? RenameReplacing(from, to) : RenameNoReplace(from, to);
    if (renamed.value() != EXDEV) {
        return renamed;
    }
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0) {
        return LastError();
    }
    std::error_code copied;
    if (S_ISREG(info.st_mode)) {
        copied = CopyFileWhole(from, to, replace);
    } else {
        if (replace && EntryExists(to) && !IsFolder(to)) {
            ::unlink(to.c_str());
        }
        copied = CopyEntry(from, to);
    }
    if (copied) {
        return copied;  // the source is untouched; a partial copy was removed
    }
    if (const std::error_code removed = RemoveEntry(from)) {
        if (copiedButKept != nullptr) {
            *copiedButKept = true;
        }
        return removed;
    }
    return {};
}

}  // namespace Quillmark::Platform
