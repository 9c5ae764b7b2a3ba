#include "collections/XmlStoreFile.h"

#include <QBuffer>
#include <QCoreApplication>
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

// What one attempt at a free name came to.
enum class Attempt { Kept, Taken, Failed };

// Walks the names "<path><suffix>", "<path><suffix>-2", ... and hands each to
// `attempt` until one keeps the file (true, `kept` names it) or fails.
template <class Try>
bool KeepUnderFreeName(const QString& path, const QString& suffix, QString& kept, Try attempt) {
    for (int n = 1; n < 1000; ++n) {
        const QString name =
            n == 1 ? path + suffix : path + suffix + QLatin1Char('-') + QString::number(n);
        switch (attempt(name)) {
            case Attempt::Kept:
                kept = name;
                return true;
            case Attempt::Taken:
                continue;
            case Attempt::Failed:
                return false;
        }
    }
    return false;
}

Attempt FromError(const std::error_code& error) {
    if (!error) {
        return Attempt::Kept;
    }
    return error.value() == EEXIST ? Attempt::Taken : Attempt::Failed;
}

// Moves `path` (whatever it is: a file, a folder, a link) to the first free
// name of "<path>.unreadable", ".unreadable-2", ...; never replaces anything.
bool MoveAside(const QString& path, QString& kept) {
    const std::filesystem::path from = FilePath(path);
    return KeepUnderFreeName(path, QStringLiteral(".unreadable"), kept, [&](const QString& name) {
        return FromError(Platform::RenameNoReplace(from, FilePath(name)));
    });
}

// Copies the file at `path`, which holds `bytes`, to the first free name of
// "<path>.left-out", ".left-out-2", ...; never replaces anything. A copy of
// the same bytes there already (kept by a start that ended before it saved)
// is taken as the copy.
bool CopyAside(const QString& path, const QByteArray& bytes, QString& kept) {
    return KeepUnderFreeName(path, QStringLiteral(".left-out"), kept, [&](const QString& name) {
        if (Platform::EntryExists(FilePath(name))) {
            const CResult<QByteArray> there = ReadStoreBytes(name);
            return there && there.Value() == bytes ? Attempt::Kept : Attempt::Taken;
        }
        return FromError(Platform::CopyFileWhole(FilePath(path), FilePath(name), false));
    });
}

QString Tr(const char* text) {
    return QCoreApplication::translate("CXmlStoreFile", text);
}

QString ProblemText(CXmlStoreFile::LoadResult result, const QString& detail,
                    const QString& rootName) {
    using R = CXmlStoreFile::LoadResult;
    switch (result) {
        case R::Unreadable:
            return Tr("it cannot be read (%1)").arg(detail);
        case R::NotAFile:
            return Tr("it is not a regular file");
        case R::TooLarge:
            return Tr("it is larger than %1 MB").arg(CXmlStoreFile::kMaxBytes >> 20);
        case R::NotWellFormed:
            return Tr("it is not well-formed XML (%1)").arg(detail);
        case R::TooDeep:
            return Tr("its elements are nested more than %1 levels deep")
                .arg(CXmlStoreFile::kMaxDepth);
        case R::NoRoot:
            return Tr("it has no <%1> element").arg(rootName);
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
                                               QString* why, CLeftOut* leftOut) const {
    root = CStoreElement();
    if (leftOut) {
        leftOut->Clear();
    }
    QXmlStreamReader reader(bytes);
    // Names are compared as written, prefix and all, and a prefix without
    // its declaration is no error.
    reader.setNamespaceProcessing(false);
    const auto leafDepth = static_cast<std::size_t>(m_levels.size()) + 1;
    // The open elements, innermost last: the kept ones, null for the others.
    // A kept element's address stays valid while it is open: only closed
    // elements get siblings.
    std::vector<CStoreElement*> open;
    // For each open element, whether text of it was counted as left out.
    std::vector<bool> textCounted;
    bool hasRoot = false;
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
            case QXmlStreamReader::StartElement: {
                if (open.size() >= static_cast<std::size_t>(kMaxDepth)) {
                    root = CStoreElement();
                    if (leftOut) {
                        leftOut->Clear();
                    }
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
                } else if (open.back() && leftOut) {
                    leftOut->AddUnknownElement();
                }
                if (element) {
                    for (const QXmlStreamAttribute& attribute : reader.attributes()) {
                        element->attributes.emplace_back(attribute.qualifiedName().toString(),
                                                         attribute.value().toString());
                    }
                }
                open.push_back(element);
                textCounted.push_back(false);
                break;
            }
            case QXmlStreamReader::EndElement:
                open.pop_back();
                textCounted.pop_back();
                break;
            case QXmlStreamReader::Characters:
                if (open.size() >= leafDepth && open[leafDepth - 1]) {
                    // The text of deeper elements too, as the element's
                    // text content is.
                    open[leafDepth - 1]->text += reader.text();
                } else if (!open.empty() && open.back() && !reader.isWhitespace() &&
                           !textCounted.back()) {
                    textCounted.back() = true;
                    if (leftOut) {
                        leftOut->AddUnusedText();
                    }
                }
                break;
            default:
                break;
        }
    }
    if (reader.hasError()) {
        root = CStoreElement();
        if (leftOut) {
            leftOut->Clear();
        }
        SetReason(why, QStringLiteral("%1 at line %2, column %3")
                           .arg(reader.errorString())
                           .arg(reader.lineNumber())
                           .arg(reader.columnNumber()));
        return LoadResult::NotWellFormed;
    }
    if (!hasRoot) {
        if (leftOut) {
            leftOut->Clear();
        }
        return LoadResult::NoRoot;
    }
    DecodeStoreElement(root);
    return LoadResult::Parsed;
}

CXmlStoreFile::LoadResult CXmlStoreFile::Load(const QString& path, CStoreElement& root, Keep keep,
                                              const CRootReader& read) {
    root = CStoreElement();
    m_loadedPath = path;
    m_loadProblem.clear();
    m_unusablePath.clear();
    m_leftOut.Clear();
    m_leftOutPath.clear();
    m_keptCopy.clear();
    m_noticeTaken = false;
    m_keepAtOnce = keep == Keep::AtOnce;
    if (keep == Keep::AtOnce) {
        RemoveLeftovers(path);
    }
    QString detail;
    const CResult<QByteArray> bytes = ReadStoreBytes(path);
    if (bytes) {
        m_lastLoad = Parse(bytes.Value(), root, &detail, &m_leftOut);
    } else {
        m_lastLoad = ReadFailure(bytes.Failure().Code());
        detail = QString::fromStdString(bytes.Failure().Reason());
    }
    if (m_lastLoad == LoadResult::Missing) {
        return m_lastLoad;
    }
    if (m_lastLoad == LoadResult::Parsed) {
        if (read) {
            read(root, m_leftOut);
        }
        if (!m_leftOut.IsEmpty()) {
            m_leftOutPath = path;
            if (m_keepAtOnce) {
                KeepLeftOutFile(path);
            }
        }
        return m_lastLoad;
    }
    m_loadProblem = ProblemText(m_lastLoad, detail, m_rootName);
    m_unusablePath = path;
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

bool CXmlStoreFile::KeepLeftOutFile(const QString& path) {
    if (m_leftOutPath.isEmpty() || m_leftOutPath != path) {
        return true;
    }
    const CResult<QByteArray> bytes = ReadStoreBytes(path);
    if (!bytes) {
        if (bytes.Failure().Code() == std::errc::no_such_file_or_directory) {
            // Gone meanwhile: nothing to keep.
            m_leftOutPath.clear();
            return true;
        }
        return false;
    }
    if (!CopyAside(path, bytes.Value(), m_keptCopy)) {
        return false;
    }
    m_leftOutPath.clear();
    return true;
}

QString CXmlStoreFile::TakeNotice(const QString& contents) {
    if (m_noticeTaken || (m_loadProblem.isEmpty() && m_leftOut.IsEmpty())) {
        return {};
    }
    m_noticeTaken = true;
    if (!m_loadProblem.isEmpty()) {
        QString text = Tr("Quillmark could not read the %1 in the file %2: %3.")
                           .arg(contents, m_loadedPath, m_loadProblem);
        text += QStringLiteral("\n\n");
        if (!m_keptCopy.isEmpty()) {
            text += Tr("The file was kept as %1, and Quillmark starts without the %2 it holds.")
                        .arg(m_keptCopy, contents);
        } else if (!m_keepAtOnce) {
            text += Tr("The file will be set aside before anything is saved over it.");
        } else {
            text += Tr("The file could not be set aside, so Quillmark leaves it as it is and will "
                       "not save the %1 over it.")
                        .arg(contents);
        }
        return text;
    }
    QString text = Tr("Quillmark read the %1 in the file %2, but left out what it cannot use: %3.")
                       .arg(contents, m_loadedPath, m_leftOut.Text());
    text += QStringLiteral("\n\n");
    if (!m_keptCopy.isEmpty()) {
        text += Tr("The file as it was is kept as %1.").arg(m_keptCopy);
    } else if (!m_keepAtOnce) {
        text +=
            Tr("A copy of the file as it was will be kept beside it before anything is saved "
               "over it.");
    } else {
        text += Tr("No copy of the file as it was could be made, so Quillmark leaves it as it is "
                   "and will not save the %1 over it.")
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
    if (!KeepLeftOutFile(path)) {
        return CFailure("no copy could be made of the file whose parts Quillmark left out");
    }
    return WriteWholeFile(path, bytes, writer);
}

}  // namespace Quillmark
