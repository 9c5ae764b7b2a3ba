#include "collections/XmlStoreFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/PathText.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace Quillmark {

namespace {

const QString kEncoded = QStringLiteral("encoded");
constexpr char16_t kEscape = u'%';
constexpr const char* kPendingSuffix = ".quillmark-new";

// Where a save to `path` lands: a symbolic link is followed (a loop is not).
QString FinalPath(const QString& path) {
    return PathText(Platform::FollowLinks(FilePath(path)));
}

void SetReason(QString* why, const QString& reason) {
    if (why) {
        *why = reason;
    }
}

QString ErrnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Whether the code unit at `i` cannot stand in an XML 1.0 document, not even
// as a character reference.
bool Unwritable(const QString& text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (c < 0x20) {
        return c != u'\t' && c != u'\n' && c != u'\r';
    }
    if (c == 0xFFFE || c == 0xFFFF) {
        return true;
    }
    if (QChar::isHighSurrogate(c)) {
        return i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode());
    }
    if (QChar::isLowSurrogate(c)) {
        return i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode());
    }
    return false;
}

bool NeedsEncoding(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (Unwritable(text, i)) {
            return true;
        }
    }
    return false;
}

bool NeedsEncoding(const CStoreElement& element) {
    return NeedsEncoding(element.text) ||
           std::any_of(element.attributes.begin(), element.attributes.end(),
                       [](const auto& attribute) { return NeedsEncoding(attribute.second); });
}

QString Encode(const QString& text) {
    QString encoded;
    encoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c == kEscape || Unwritable(text, i)) {
            encoded += QLatin1Char('%');
            encoded += QStringLiteral("%1")
                           .arg(static_cast<unsigned>(c), 4, 16, QLatin1Char('0'))
                           .toUpper();
        } else {
            encoded += QChar(c);
        }
    }
    return encoded;
}

int HexValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    return -1;
}

// "%" and four hexadecimal digits is one code unit; anything else stays.
QString Decode(const QString& text) {
    if (!text.contains(QChar(kEscape))) {
        return text;
    }
    QString decoded;
    decoded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QChar(kEscape) && i + 4 < text.size()) {
            int unit = 0;
            bool ok = true;
            for (qsizetype k = 1; k <= 4 && ok; ++k) {
                const int digit = HexValue(text[i + k]);
                ok = digit >= 0;
                unit = unit * 16 + digit;
            }
            if (ok) {
                decoded += QChar(static_cast<char16_t>(unit));
                i += 4;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}

// Removes the mark of every element and decodes the values of the marked ones.
void DecodeMarked(CStoreElement& element) {
    const auto mark =
        std::find_if(element.attributes.begin(), element.attributes.end(),
                     [](const auto& attribute) { return attribute.first == kEncoded; });
    if (mark != element.attributes.end()) {
        const bool encoded = mark->second == QLatin1String("1");
        element.attributes.erase(mark);
        if (encoded) {
            for (auto& attribute : element.attributes) {
                attribute.second = Decode(attribute.second);
            }
            element.text = Decode(element.text);
        }
    }
    for (CStoreElement& child : element.children) {
        DecodeMarked(child);
    }
}

// The writer writes a carriage return in text as it is, and every reader
// reads it as a line feed: it goes as a character reference.
void WriteText(QXmlStreamWriter& writer, const QString& text) {
    qsizetype start = 0;
    for (qsizetype i = text.indexOf(QLatin1Char('\r')); i >= 0;
         i = text.indexOf(QLatin1Char('\r'), start)) {
        if (i > start) {
            writer.writeCharacters(text.mid(start, i - start));
        }
        writer.writeEntityReference(QStringLiteral("#13"));
        start = i + 1;
    }
    if (start < text.size()) {
        writer.writeCharacters(text.mid(start));
    }
}

void WriteElement(QXmlStreamWriter& writer, const CStoreElement& element) {
    const bool encode = NeedsEncoding(element);
    writer.writeStartElement(element.name);
    for (const auto& [name, value] : element.attributes) {
        writer.writeAttribute(name, encode ? Encode(value) : value);
    }
    if (encode) {
        writer.writeAttribute(kEncoded, QStringLiteral("1"));
    }
    WriteText(writer, encode ? Encode(element.text) : element.text);
    for (const CStoreElement& child : element.children) {
        WriteElement(writer, child);
    }
    writer.writeEndElement();
}

class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd) : m_fd(fd) {}
    ~CFileDescriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

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

bool WriteAll(QIODevice& file, const QByteArray& bytes) {
    return file.write(bytes) == bytes.size();
}

const QString* CStoreElement::Attribute(const QString& attributeName) const {
    for (const auto& attribute : attributes) {
        if (attribute.first == attributeName) {
            return &attribute.second;
        }
    }
    return nullptr;
}

CStoreElement& CStoreElement::AddChild(const QString& childName) {
    CStoreElement& child = children.emplace_back();
    child.name = childName;
    return child;
}

CXmlStoreFile::CXmlStoreFile(QString rootName, QStringList levels)
    : m_rootName(std::move(rootName)), m_levels(std::move(levels)) {}

CXmlStoreFile::LoadResult ReadStoreBytes(const QString& path, QByteArray& bytes, QString* why) {
    using R = CXmlStoreFile::LoadResult;
    bytes.clear();
    const std::string native = FilePath(path).native();
    struct stat info {};
    // Looked at before it is opened: opening a device may do something.
    if (::stat(native.c_str(), &info) != 0) {
        const int error = errno;
        SetReason(why, ErrnoText(error));
        return error == ENOENT ? R::Missing : R::Unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        return R::NotAFile;
    }
    if (info.st_size > CXmlStoreFile::kMaxBytes) {
        return R::TooLarge;
    }
    // Without blocking: a FIFO put in its place meanwhile opens at once, and
    // is then refused.
    const CFileDescriptor fd(::open(native.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
    if (fd.Get() < 0) {
        const int error = errno;
        SetReason(why, ErrnoText(error));
        return error == ENOENT ? R::Missing : R::Unreadable;
    }
    if (::fstat(fd.Get(), &info) != 0) {
        SetReason(why, ErrnoText(errno));
        return R::Unreadable;
    }
    if (!S_ISREG(info.st_mode)) {
        return R::NotAFile;
    }
    if (info.st_size > CXmlStoreFile::kMaxBytes) {
        return R::TooLarge;
    }
    // The file may still grow while it is read: never past the limit.
    constexpr qsizetype kLimit = CXmlStoreFile::kMaxBytes + 1;
    QByteArray data(std::min<qsizetype>(static_cast<qsizetype>(info.st_size) + 1, kLimit),
                    Qt::Uninitialized);
    qsizetype used = 0;
    for (;;) {
        if (used == data.size()) {
            if (data.size() >= kLimit) {
                return R::TooLarge;
            }
            data.resize(std::min<qsizetype>(data.size() * 2, kLimit));
        }
        const ssize_t got =
            ::read(fd.Get(), data.data() + used, static_cast<size_t>(data.size() - used));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            SetReason(why, ErrnoText(errno));
            return R::Unreadable;
        }
        if (got == 0) {
            break;
        }
        used += got;
    }
    data.truncate(used);
    bytes = std::move(data);
    return R::Parsed;
}

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
    DecodeMarked(root);
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
    QByteArray bytes;
    QString detail;
    m_lastLoad = ReadStoreBytes(path, bytes, &detail);
    if (m_lastLoad == LoadResult::Parsed) {
        m_lastLoad = Parse(bytes, root, &detail);
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
    WriteElement(writer, root);
    return bytes;
}

bool CXmlStoreFile::Save(const QString& path, const CStoreElement& root,
                         const CFileWriter& writer) {
    m_saveError.clear();
    const QByteArray bytes = Serialize(root);
    CStoreElement back;
    QString why;
    if (Parse(bytes, back, &why) != LoadResult::Parsed || !(back == root)) {
        m_saveError = QStringLiteral("the document would not read back as the store holds it");
        return false;
    }
    if (!KeepUnusableFile(path)) {
        m_saveError = QStringLiteral("the file that could not be read could not be set aside");
        return false;
    }
    return WriteWholeFile(path, bytes, writer, &m_saveError);
}

QString PendingFilePath(const QString& path) {
    return FinalPath(path) + QLatin1String(kPendingSuffix);
}

void RemoveLeftovers(const QString& path) {
    const std::filesystem::path pending = FilePath(PendingFilePath(path));
    const std::string pendingName = pending.filename().native();
    std::vector<std::filesystem::path> leftovers{pending};
    // A save of an earlier version wrote to a named file beside that one:
    // "<pending>.XXXXXX".
    const std::filesystem::path folder = pending.parent_path();
    Platform::ListFolder(folder, [&](const Platform::CFolderEntry& entry) {
        const std::string_view name = entry.Name();
        if (name.size() == pendingName.size() + 7 &&
            name.substr(0, pendingName.size()) == pendingName && name[pendingName.size()] == '.' &&
            std::all_of(name.begin() + static_cast<std::ptrdiff_t>(pendingName.size()) + 1,
                        name.end(),
                        [](char c) { return std::isalnum(static_cast<unsigned char>(c)); })) {
            leftovers.push_back(folder / std::string(name));
        }
        return true;
    });
    for (const std::filesystem::path& leftover : leftovers) {
        struct stat info {};
        if (::lstat(leftover.c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            ::unlink(leftover.c_str());
        }
    }
}

bool WriteWholeFile(const QString& path, const QByteArray& bytes, const CFileWriter& writer,
                    QString* why) {
    // A link is written through. The new file is named
    // "<file>.quillmark-new", which never exists here, before it is renamed
    // over the file: a kill in between leaves only that name, which the next
    // start or save removes.
    const QString final = FinalPath(path);
    RemoveLeftovers(final);
    Platform::WholeFileOptions options;
    options.pending = FilePath(final + QLatin1String(kPendingSuffix));
    options.verify = true;
    QString writeFailure;
    options.write = [&](int fd, std::string_view) -> std::error_code {
        QFile file;
        if (!file.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
            writeFailure = file.errorString();
            return std::error_code(EIO, std::system_category());
        }
        // A full disk must be seen here, at the flush, too.
        if (!writer(file, bytes) || !file.flush() || file.error() != QFileDevice::NoError) {
            writeFailure = file.error() != QFileDevice::NoError
                               ? file.errorString()
                               : QStringLiteral("the write failed");
            return std::error_code(EIO, std::system_category());
        }
        return {};
    };
    const std::error_code error = Platform::WriteFileWhole(
        FilePath(final),
        std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), options);
    if (!error) {
        return true;
    }
    if (!writeFailure.isEmpty()) {
        SetReason(why, writeFailure);
    } else if (error.value() == EISDIR || error.value() == EACCES || error.value() == EPERM) {
        SetReason(why, QStringLiteral("the file %1 cannot be written").arg(final));
    } else if (error.value() == EIO) {
        SetReason(why, QStringLiteral("the file does not hold what was written"));
    } else {
        SetReason(why, ErrnoText(error.value()));
    }
    return false;
}

QString DataFilePath(const QString& fileName, bool forWriting) {
    const QString folder = PathText(Platform::DataFolder());
    if (forWriting) {
        Platform::MakeFolders(Platform::DataFolder());
    }
    return folder + QLatin1Char('/') + fileName;
}

QString EarlierEditionFilePath(const QString& fileName) {
    return PathText(Platform::EarlierEditionDataFolder()) + QLatin1Char('/') + fileName;
}

void ImportEarlierEditionFile(const QString& fileName, const std::function<bool()>& replaceOurs) {
    const QString earlier = EarlierEditionFilePath(fileName);
    if (!Platform::EntryExists(FilePath(earlier))) {
        return;
    }
    const QString ours = DataFilePath(fileName, true);
    if (!Platform::EntryExists(FilePath(ours)) || (replaceOurs && replaceOurs())) {
        // Ours is replaced only by a whole copy of a regular file.
        QByteArray bytes;
        if (ReadStoreBytes(earlier, bytes) == CXmlStoreFile::LoadResult::Parsed) {
            WriteWholeFile(ours, bytes);
        }
    }
    // Never over an existing ".old" file.
    Platform::RenameNoReplace(FilePath(earlier), FilePath(earlier + QStringLiteral(".old")));
}

}  // namespace Quillmark
