#include "collections/FavoriteFolders.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <stdexcept>

#include "collections/DataFiles.h"
#include "core/PathText.h"
#include "platform/Files.h"

namespace Quillmark {

namespace {

QString Tr(const char* text) {
    return QCoreApplication::translate("CFavoriteFolders", text);
}

const QString kRoot = QStringLiteral("favorites");
const QString kFolder = QStringLiteral("folder");

// The lower-cased forms compared code unit by code unit (each lower-cased
// on its own), without making them.
int CompareLowerCase(const QString& a, const QString& b) {
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        if (a[i] == b[i]) {
            continue;
        }
        const char16_t x = a[i].toLower().unicode();
        const char16_t y = b[i].toLower().unicode();
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Ordered by the lower-cased form, then by the path itself.
struct CFolderOrder {
    bool operator()(const QString& a, const QString& b) const {
        const int byLower = CompareLowerCase(a, b);
        return byLower != 0 ? byLower < 0 : a < b;
    }
};

// Folders in which drives are mounted each in a folder of its own that goes
// when the drive is unmounted (/media/USER/LABEL, /run/media/USER/LABEL, a
// network share under gvfs).
bool HoldsMountPoints(const QString& folder) {
    static const QRegularExpression pattern(
        QStringLiteral("^(/media(/[^/]+)?|/run/media/[^/]+|/mnt|/run/user/[0-9]+/gvfs)$"));
    return pattern.match(folder).hasMatch();
}

// Whether a favourite is surely gone: it does not exist and its parent
// folder does. A folder that cannot be looked at, or whose parent is missing
// or is where drives are mounted, may be on a drive that is not mounted now.
bool SurelyGone(const QString& folder) {
    struct stat info {};
    if (::stat(FilePath(folder).c_str(), &info) == 0 || errno != ENOENT) {
        return false;
    }
    const QString cleaned = QDir::cleanPath(folder);
    const QString parent = QFileInfo(cleaned).path();
    if (parent == cleaned || HoldsMountPoints(parent)) {
        return false;
    }
    return Platform::IsFolder(FilePath(parent));
}

}  // namespace

struct CFavoriteFolders::Record {
    std::set<QString, CFolderOrder> folders;
    mutable CXmlStoreFile file{kRoot, {kFolder}};
};

CFavoriteFolders::CFavoriteFolders() : m_d(std::make_shared<Record>()) {}

void CFavoriteFolders::Load(const QString& path, CXmlStoreFile::Keep keep) {
    std::set<QString, CFolderOrder> folders;
    const auto read = [&](const CStoreElement& root, CLeftOut& leftOut) {
        leftOut.AddUnknownAttributes(root, {});
        for (const CStoreElement& folder : root.children) {
            leftOut.AddUnknownAttributes(folder, {});
            // Which folder a relative path names, and so whether it is
            // kept, would depend on the folder the program was started from.
            if (!IsFullPath(folder.text)) {
                leftOut.Add(Tr("1 favourite folder that is not a full path"),
                            Tr("%1 favourite folders that are not full paths"));
                continue;
            }
            folders.insert(folder.text);
        }
    };
    CStoreElement root;
    const auto result = m_d->file.Load(path, root, keep, read);
    if (result == CXmlStoreFile::LoadResult::Missing) {
        return;
    }
    m_d->folders = std::move(folders);
    if (result == CXmlStoreFile::LoadResult::NotWellFormed ||
        result == CXmlStoreFile::LoadResult::TooDeep) {
        return;
    }
    if (result != CXmlStoreFile::LoadResult::Parsed) {
        throw CFavoriteFoldersException{CFavoriteFoldersException::kUnreadable, {}};
    }
}

void CFavoriteFolders::Save(const QString& path, const CFileWriter& writer) const {
    CStoreElement root = m_d->file.NewRoot();
    for (const QString& folder : m_d->folders) {
        if (!SurelyGone(folder)) {
            root.AddChild(kFolder).text = folder;
        }
    }
    if (const CResult<> saved = m_d->file.Save(path, root, writer); !saved) {
        throw CFavoriteFoldersException{CFavoriteFoldersException::kNotWritten,
                                        QString::fromStdString(saved.Failure().Reason())};
    }
}

QString CFavoriteFolders::KeptUnreadableCopy() const {
    return m_d->file.KeptCopy();
}

QString CFavoriteFolders::TakeKeptFileNotice() {
    return m_d->file.TakeNotice(Tr("favourite folders"));
}

const CXmlStoreFile& CFavoriteFolders::StoreFile() const {
    return m_d->file;
}

bool CFavoriteFolders::IsEmpty() const {
    return m_d->folders.empty();
}
std::size_t CFavoriteFolders::Count() const {
    return m_d->folders.size();
}

QString CFavoriteFolders::GetAt(std::size_t index) const {
    if (index >= m_d->folders.size()) {
        throw std::out_of_range("Value is out of range");
    }
    return *std::next(m_d->folders.begin(), static_cast<std::ptrdiff_t>(index));
}

bool CFavoriteFolders::Contains(const QString& path) const {
    return m_d->folders.count(path) != 0;
}

void CFavoriteFolders::Add(const QString& path) {
    m_d->folders.insert(path);
}

void CFavoriteFolders::Remove(const QString& path) {
    m_d->folders.erase(path);
}

void CFavoriteFolders::ForEach(const std::function<void(const QString&)>& callback) const {
    for (const QString& folder : m_d->folders) {
        callback(folder);
    }
}

QString CFavoriteFolders::ImportQuestion() {
    return QStringLiteral(
        "Favorites folders were found for both Quillmark and Quillmark Pro.  Would you like to "
        "import your favorite folders from Quillmark Pro?");
}

void CFavoriteFolders::ImportEarlierEdition(const std::function<bool()>& importOverOurs) {
    // Asked only when both editions have a file.
    ImportEarlierEditionFile(QString::fromLatin1(kFileName), importOverOurs);
}

}  // namespace Quillmark
