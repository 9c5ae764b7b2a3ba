#include "collections/XmlStoreFile.h"

#include <QBuffer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <cerrno>
#include <vector>

#include "core/PathText.h"
#include "platform/Files.h"

namespace Quillmark {

namespace {

void SetReason(QString* why, const QString& reason) {
    if (why) {
        *why = reason;
    }
}

CXmlStoreFile::LoadResult ReadFailure(std::error_code code) {
    using R = CXmlStoreFile::LoadResult;
    if (code == std::errc::no_such_file_or_directory) {
        return R::Missing;
    }
    if (code == Platform::FileError::NotARegularFile) {
        return R::NotAFile;
    }
    if (code == Platform::FileError::TooLarge) {
        return R::TooLarge;
    }
    return R::Unreadable;
}

// Moves `path` (whatever it is: a file, a folder, a link) to the first free
// name of "<path>.unreadable", ".unreadable-2", ...; never replaces anything.
bool MoveAside(const QString& path, QString& kept) {
    const std::filesystem::path from = FilePath(path);
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? path + QStringLiteral(".unreadable")
                                    : path + QStringLiteral(".unreadable-") + QString::number(n);
        const std::error_code error = Platform::RenameNoReplace(from, FilePath(name));
        if (!error) {
            kept = name;
            return true;
        }
        if (error.value() != EEXIST) {
            return false;
        }
    }
    return false;
}

QString ProblemText(CXmlStoreFile::LoadResult result, const QString& detail,
                    const QString& rootName) {
    using R = CXmlStoreFile::LoadResult;
    switch (result) {
        case R::Unreadable:
            return QStringLiteral("it cannot be read (%1)").arg(detail);
        case R::NotAFile:
            return QStringLiteral("it is not a regular file");
        case R::TooLarge:
            return QStringLiteral("it is larger than %1 MB").arg(CXmlStoreFile::kMaxBytes >> 20);
        case R::NotWellFormed:
            return QStringLiteral("it is not well-formed XML (%1)").arg(detail);
        case R::TooDeep:
            return QStringLiteral("its elements are nested more than %1 levels deep")
                .arg(CXmlStoreFile::kMaxDepth);
        case R::NoRoot:
            return QStringLiteral("it has no <%1> element").arg(rootName);
        case R::Missing:
        case R::Parsed:
            break;
    }
    return {};
}

}  // namespace

CXmlStoreFile::CXmlStoreFile(QString rootName, QStringList levels)
    : m_rootName(std::move(rootName)), m_levels(std::move(levels)) {}

CXmlStoreFile::LoadResult CXmlStoreFile::Parse(const QByteArray& bytes, CStoreElement& root,
                                               QString* why) const {
    root = CStoreElement();
    QXmlStreamReader reader(bytes);
    // Names are compared as written, prefix and all, and a prefix without
    // its declaration is no error.
    reader.setNamespaceProcessing(false);
    const auto leafDepth = static_cast<std::size_t>(m_levels.size()) + 1;
    // The open elements, innermost last: the kept ones, null for the others.
    // A kept element's address stays valid while it is open: only closed
    // elements get siblings.
    std::vector<CStoreElement*> open;
    bool hasRoot = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
            case QXmlStreamReader::StartElement: {
                if (open.size() >= static_cast<std::size_t>(kMaxDepth)) {
                    root = CStoreElement();
                    SetReason(why, QStringLiteral("nested deeper than %1 levels at line %2")
                                       .arg(kMaxDepth)
                                       .arg(reader.lineNumber()));
                    return LoadResult::TooDeep;
                }
                const QStringView name = reader.qualifiedName();
                CStoreElement* element = nullptr;
                if (open.empty()) {
                    if (name == m_rootName) {
                        element = &root;
                        element->name = name.toString();
                        hasRoot = true;
                    }
                } else if (open.back() && open.size() < leafDepth &&
                           name == m_levels[static_cast<qsizetype>(open.size()) - 1]) {
                    element = &open.back()->AddChild(name.toString());
                }
                if (element) {
                    for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                        element->attributes.emplace_back(attribute.qualifiedName().toString(),
                                                         attribute.value().toString());
                    }
                }
                open.push_back(element);
                break;
            }
            case QXmlStreamReader::EndElement:
                open.pop_back();
                break;
            case QXmlStreamReader::Characters:
                if (open.size() >= leafDepth && open[leafDepth - 1]) {
                    open[leafDepth - 1]->text += reader.text();
                }
                break;
            default:
                break;
        }
    }
    if (reader.hasError()) {
        root = CStoreElement();
        SetReason(why, QStringLiteral("%1 at line %2, column %3")
                           .arg(reader.errorString())
                           .arg(reader.lineNumber())
                           .arg(reader.columnNumber()));
        return LoadResult::NotWellFormed;
    }
    if (!hasRoot) {
        return LoadResult::NoRoot;
    }
    DecodeStoreElement(root);
    return LoadResult::Parsed;
}

CXmlStoreFile::LoadResult CXmlStoreFile::Load(const QString& path, CStoreElement& root, Keep keep) {
    root = CStoreElement();
    m_loadedPath = path;
    m_loadProblem.clear();
    m_unusablePath.clear();
    m_keptCopy.clear();
    m_noticeTaken = false;
    if (keep == Keep::AtOnce) {
        RemoveLeftovers(path);
    }
    QString detail;
    const CResult<QByteArray> bytes = ReadStoreBytes(path);
    if (bytes) {
        m_lastLoad = Parse(bytes.Value(), root, &detail);
    } else {
        m_lastLoad = ReadFailure(bytes.Failure().Code());
        detail = QString::fromStdString(bytes.Failure().Reason());
    }
    if (m_lastLoad == LoadResult::Missing || m_lastLoad == LoadResult::Parsed) {
        return m_lastLoad;
    }
    m_loadProblem = ProblemText(m_lastLoad, detail, m_rootName);
    m_unusablePath = path;
    m_keepAtOnce = keep == Keep::AtOnce;
    if (m_keepAtOnce) {
        KeepUnusableFile(path);
    }
    return m_lastLoad;
}

bool CXmlStoreFile::KeepUnusableFile(const QString& path) {
    if (m_unusablePath.isEmpty() || m_unusablePath != path) {
        return true;
    }
    if (!Platform::EntryExists(FilePath(path))) {
        // Gone meanwhile: nothing to keep.
        m_unusablePath.clear();
        return true;
    }
    if (!MoveAside(path, m_keptCopy)) {
        return false;
    }
    m_unusablePath.clear();
    return true;
}

QString CXmlStoreFile::TakeNotice(const QString& contents) {
    if (m_noticeTaken || m_loadProblem.isEmpty()) {
        return {};
    }
    m_noticeTaken = true;
    QString text = QStringLiteral("Quillmark could not read the %1 in the file %2: %3.")
                       .arg(contents, m_loadedPath, m_loadProblem);
    if (!m_keptCopy.isEmpty()) {
        text += QStringLiteral(
                    "\n\nThe file was kept as %1, and Quillmark starts without the %2 it holds.")
                    .arg(m_keptCopy, contents);
    } else if (!m_keepAtOnce) {
        text += QStringLiteral("\n\nThe file will be set aside before anything is saved over it.");
    } else {
        text += QStringLiteral(
                    "\n\nThe file could not be set aside, so Quillmark leaves it as it is and will "
                    "not save the %1 over it.")
                    .arg(contents);
    }
    return text;
}

CStoreElement CXmlStoreFile::NewRoot() const {
    CStoreElement root;
    root.name = m_rootName;
    return root;
}

QByteArray CXmlStoreFile::Serialize(const CStoreElement& root) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // Only the version: the file is UTF-8.
    buffer.write("<?xml version=\"1.0\"?>\n");
    QXmlStreamWriter writer(&buffer);
    WriteStoreElement(writer, root);
    return bytes;
}

CResult<> CXmlStoreFile::Save(const QString& path, const CStoreElement& root,
                              const CFileWriter& writer) {
    const QByteArray bytes = Serialize(root);
    CStoreElement back;
    if (Parse(bytes, back) != LoadResult::Parsed || !(back == root)) {
        return CFailure("the document would not read back as the store holds it");
    }
    if (!KeepUnusableFile(path)) {
        return CFailure("the file that could not be read could not be set aside");
    }
    return WriteWholeFile(path, bytes, writer);
}

}  // namespace Quillmark
