#include "collections/FavoriteFolders.h"

#include <QFileInfo>
#include <stdexcept>

namespace Quillmark {

namespace {

const QString kRoot = QStringLiteral("favorites");
const QString kFolder = QStringLiteral("folder");

QString LowerCase(const QString& path) {
    QString lower = path;
    for (QChar& c : lower) {
        c = c.toLower();
    }
    return lower;
}

// Ordered by the lower-cased form, then by the path itself.
struct CFolderOrder {
    bool operator()(const QString& a, const QString& b) const {
        const int byLower = LowerCase(a).compare(LowerCase(b));
        return byLower != 0 ? byLower < 0 : a < b;
    }
};

}  // namespace

struct CFavoriteFolders::Record {
    std::set<QString, CFolderOrder> folders;
    mutable CXmlStoreFile file{kRoot};
};

CFavoriteFolders::CFavoriteFolders() : m_d(std::make_shared<Record>()) {}

void CFavoriteFolders::Load(const QString& path) {
    QDomDocument document;
    QDomElement root;
    const auto result = m_d->file.Load(path, document, root);
    if (result == CXmlStoreFile::LoadResult::Missing) {
        return;
    }
    m_d->folders.clear();
    if (result == CXmlStoreFile::LoadResult::NotWellFormed) {
        return;
    }
    if (result != CXmlStoreFile::LoadResult::Parsed) {
        throw CFavoriteFoldersException{1};
    }
    for (QDomNode node = root.firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QDomElement folder = node.toElement();
        if (!folder.isNull() && folder.tagName() == kFolder) {
            m_d->folders.insert(folder.text());
        }
    }
}

void CFavoriteFolders::Save(const QString& path, const CFileWriter& writer) const {
    QDomDocument document;
    QDomElement root = m_d->file.NewDocument(document);
    for (const QString& folder : m_d->folders) {
        if (!QFileInfo::exists(folder)) {
            continue;
        }
        QDomElement element = document.createElement(kFolder);
        element.appendChild(document.createTextNode(folder));
        root.appendChild(element);
    }
    if (!m_d->file.Save(path, document, writer)) {
        throw CFavoriteFoldersException{2};
    }
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
