#include "ui/browse/FolderScan.h"

#include <memory>
#include <mutex>
#include <string>

#include "core/PathText.h"
#include "platform/Files.h"

namespace Quillmark {

namespace {

bool Hidden(std::string_view name) {
    return name.front() == '.';
}

// Whether the folder has a visible subfolder; reads up to the first.
bool AnySubfolder(const std::filesystem::path& folder) {
    bool found = false;
    Platform::ListFolder(folder, [&found](const Platform::CFolderEntry& entry) {
        found = !Hidden(entry.Name()) && entry.IsFolder();
        return !found;
    });
    return found;
}

std::mutex& HookMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<const CListingHook>& Hook() {
    static std::shared_ptr<const CListingHook> hook;
    return hook;
}

}  // namespace

// Called outside the lock: a hook that blocks must not block its own release.
void BeforeReading(const QString& path) {
    std::shared_ptr<const CListingHook> hook;
    {
        const std::lock_guard lock(HookMutex());
        hook = Hook();
    }
    if (hook != nullptr) {
        (*hook)(path);
    }
}

void SetListingHookForTests(CListingHook hook) {
    const std::lock_guard lock(HookMutex());
    Hook() = hook ? std::make_shared<const CListingHook>(std::move(hook)) : nullptr;
}

bool ListSubfolders(const QString& folder, std::vector<CSubfolder>& out) {
    out.clear();
    BeforeReading(folder);
    const std::filesystem::path path = FilePath(folder);
    std::vector<std::string> names;
    const std::error_code error =
        Platform::ListFolder(path, [&names](const Platform::CFolderEntry& entry) {
            if (!Hidden(entry.Name()) && entry.IsFolder()) {
                names.emplace_back(entry.Name());
            }
            return true;
        });
    if (error) {
        return false;
    }
    for (const std::string& name : names) {
        CSubfolder subfolder;
        subfolder.name = PathText(std::filesystem::path(name));
        subfolder.hasSubfolders = AnySubfolder(path / name);
        out.push_back(std::move(subfolder));
    }
    return true;
}

bool HasSubfolders(const QString& folder) {
    BeforeReading(folder);
    return AnySubfolder(FilePath(folder));
}

bool PathExists(const QString& path) {
    return Platform::EntryExists(FilePath(path));
}

}  // namespace Quillmark
