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

CXmlStoreFile::LoadResult CXmlStoreFile::Load(const QString& path, QDomDocument& document) {
    m_unusablePath.clear();
    if (!QFileInfo::exists(path)) {
        return LoadResult::Missing;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_unusablePath = path;
        return LoadResult::Unreadable;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        m_unusablePath = path;
        return LoadResult::Unreadable;
    }
    if (!document.setContent(bytes)) {
        m_unusablePath = path;
        return LoadResult::NotWellFormed;
    }
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

QDomElement NewStoreDocument(QDomDocument& document, const QString& rootName) {
    document = QDomDocument();
    document.appendChild(document.createProcessingInstruction(QStringLiteral("xml"),
                                                              QStringLiteral("version=\"1.0\"")));
    QDomElement root = document.createElement(rootName);
    document.appendChild(root);
    return root;
}

QDomElement FindRoot(const QDomDocument& document, const QString& name) {
    for (QDomNode node = document.firstChild(); !node.isNull(); node = node.nextSibling()) {
        if (node.nodeName() == name) {
            return node.toElement();
        }
    }
    return {};
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

}  // namespace Quillmark
