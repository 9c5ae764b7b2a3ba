#include "collections/XmlStoreFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "core/PathText.h"
#include "platform/Paths.h"

namespace Quillmark {

bool WriteAll(QIODevice& file, const QByteArray& bytes) {
    return file.write(bytes) == bytes.size();
}

CXmlStoreFile::CXmlStoreFile(QString rootName) : m_rootName(std::move(rootName)) {}

CXmlStoreFile::LoadResult CXmlStoreFile::Load(const QString& path, QDomDocument& document,
                                              QDomElement& root) {
    m_unusablePath.clear();
    root = QDomElement();
    if (!QFileInfo::exists(path)) {
        return LoadResult::Missing;
    }
    m_unusablePath = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return LoadResult::Unreadable;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return LoadResult::Unreadable;
    }
    if (!document.setContent(bytes)) {
        return LoadResult::NotWellFormed;
    }
    for (QDomNode node = document.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (node.nodeName() == m_rootName) {
            root = node.toElement();
            break;
        }
    }
    if (root.isNull()) {
        return LoadResult::NoRoot;
    }
    m_unusablePath.clear();
    return LoadResult::Parsed;
}

bool CXmlStoreFile::KeepUnusableFile(const QString& path) {
    if (m_unusablePath != path || !QFileInfo::exists(path)) {
        m_unusablePath.clear();
        return true;
    }
    QString copy = path + QStringLiteral(".unreadable");
    for (int n = 2; QFileInfo::exists(copy) || QFileInfo(copy).isSymLink(); ++n) {
        copy = path + QStringLiteral(".unreadable-") + QString::number(n);
    }
    if (!QFile::copy(path, copy)) {
        return false;
    }
    m_keptCopy = copy;
    m_unusablePath.clear();
    return true;
}

bool CXmlStoreFile::Save(const QString& path, const QDomDocument& document,
                         const CFileWriter& writer) {
    if (!KeepUnusableFile(path)) {
        return false;
    }
    // No indentation at all: the elements follow each other directly.
    const QByteArray bytes = document.toByteArray(-1);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (!writer(file, bytes)) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

QDomElement CXmlStoreFile::NewDocument(QDomDocument& document) const {
    document = QDomDocument();
    document.appendChild(document.createProcessingInstruction(QStringLiteral("xml"),
                                                              QStringLiteral("version=\"1.0\"")));
    QDomElement root = document.createElement(m_rootName);
    document.appendChild(root);
    return root;
}

QString DataFilePath(const QString& fileName, bool forWriting) {
    const QString folder = PathText(Platform::DataFolder());
    if (forWriting) {
        QDir().mkpath(folder);
    }
    return folder + QLatin1Char('/') + fileName;
}

QString EarlierEditionFilePath(const QString& fileName) {
    return PathText(Platform::EarlierEditionDataFolder()) + QLatin1Char('/') + fileName;
}

namespace {

// Copies `source` to `target` through a file beside it that replaces
// `target` only once it is written whole.
bool CopyWhole(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        return false;
    }
    QSaveFile out(target);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

}  // namespace

void ImportEarlierEditionFile(const QString& fileName, const std::function<bool()>& replaceOurs) {
    const QString earlier = EarlierEditionFilePath(fileName);
    if (!QFileInfo::exists(earlier)) {
        return;
    }
    const QString ours = DataFilePath(fileName, true);
    if (!QFileInfo::exists(ours) || (replaceOurs && replaceOurs())) {
        CopyWhole(earlier, ours);
    }
    // QFile::rename never replaces an existing ".old" file.
    QFile::rename(earlier, earlier + QStringLiteral(".old"));
}

}  // namespace Quillmark
