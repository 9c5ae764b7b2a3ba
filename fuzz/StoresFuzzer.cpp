// Loads the bytes as each store's file (font projects, favourite folders,
// recent locations), the way the program loads it at start, saves what was
// read over it as the program does at exit, and loads that again: the second
// reading must hold what the first held. A store that cannot save what it
// read would lose the user's lists at the next exit.

#include <sys/stat.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include <QString>

#include "collections/FavoriteFolders.h"
#include "collections/FontProjects.h"
#include "collections/LocationList.h"
#include "core/PathText.h"
#include "fuzz/FuzzSupport.h"

using namespace Quillmark;

namespace {

QString StoreFile(const char* name) {
    return PathText(FuzzSupport::PrivateFolder() / name);
}

std::map<QString, CFontProjects::FontSet> Contents(const CFontProjects& projects) {
    std::map<QString, CFontProjects::FontSet> contents;
    for (const auto& [name, fonts] : projects) {
        contents[name] = *fonts;
    }
    return contents;
}

void Projects(const std::uint8_t* data, std::size_t size) {
    const QString file = StoreFile(CFontProjects::kFileName);
    if (!FuzzSupport::WriteFile(FilePath(file), data, size)) {
        std::abort();
    }
    CFontProjects first;
    first.Load(file);
    if (!first.Save(file)) {
        std::abort();  // what was read must be written
    }
    CFontProjects second;
    second.Load(file);
    if (Contents(first) != Contents(second)) {
        std::abort();
    }
}

std::vector<QString> Contents(const CFavoriteFolders& favorites) {
    std::vector<QString> folders;
    favorites.ForEach([&](const QString& folder) { folders.push_back(folder); });
    return folders;
}

// Loads favourites, throwing nothing: a file the store refuses leaves it empty.
void LoadFavorites(CFavoriteFolders& favorites, const QString& file) {
    try {
        favorites.Load(file);
    } catch (const CFavoriteFoldersException& refused) {
        if (refused.code != CFavoriteFoldersException::kUnreadable || !favorites.IsEmpty()) {
            std::abort();
        }
    }
}

void SaveFavorites(const CFavoriteFolders& favorites, const QString& file) {
    try {
        favorites.Save(file);
    } catch (const CFavoriteFoldersException&) {
        std::abort();
    }
}

bool Missing(const QString& folder) {
    struct stat info {};
    return ::stat(FilePath(folder).c_str(), &info) != 0 && errno == ENOENT;
}

// A save leaves out the folders that are surely gone, and only those: the
// second reading holds the first one's folders less some that do not exist,
// and a third reading holds exactly the second's.
void Favorites(const std::uint8_t* data, std::size_t size) {
    const QString file = StoreFile(CFavoriteFolders::kFileName);
    if (!FuzzSupport::WriteFile(FilePath(file), data, size)) {
        std::abort();
    }
    CFavoriteFolders first;
    LoadFavorites(first, file);
    SaveFavorites(first, file);
    CFavoriteFolders second;
    LoadFavorites(second, file);
    const std::vector<QString> before = Contents(first);
    const std::vector<QString> after = Contents(second);
    std::size_t kept = 0;
    for (const QString& folder : before) {
        if (kept < after.size() && after[kept] == folder) {
            ++kept;
        } else if (!Missing(folder)) {
            std::abort();  // an existing folder was dropped
        }
    }
    if (kept != after.size()) {
        std::abort();  // a folder came from nowhere, or the order changed
    }
    SaveFavorites(second, file);
    CFavoriteFolders third;
    LoadFavorites(third, file);
    if (Contents(third) != after) {
        std::abort();
    }
}

void Locations(const std::uint8_t* data, std::size_t size) {
    const QString file = StoreFile(CLocationList::kFileName);
    if (!FuzzSupport::WriteFile(FilePath(file), data, size)) {
        std::abort();
    }
    CLocationList first;
    first.Load(file);
    if (!first.Save(file)) {
        std::abort();
    }
    CLocationList second;
    second.Load(file);
    if (first.Items() != second.Items()) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzSupport::StartQt(FuzzSupport::Application::Core);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The store whose root element the input names first reads it (the font
    // projects when it names none): their files differ only in the names of
    // their elements, and each load and save costs a millisecond.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t first = std::string_view::npos;
    void (*store)(const std::uint8_t*, std::size_t) = Projects;
    for (const auto& [root, read] :
         {std::pair{"<favorites", &Favorites}, std::pair{"<locations", &Locations}}) {
        const std::size_t at = text.find(root);
        if (at < first && at < text.find("<fontprojects")) {
            first = at;
            store = read;
        }
    }
    store(data, size);
    // What a load set aside as unreadable, and every save's leftovers.
    FuzzSupport::EmptyFolder(FuzzSupport::PrivateFolder());
    return 0;
}
