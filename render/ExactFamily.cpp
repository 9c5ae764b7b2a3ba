#include "render/ExactFamily.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QtEndian>

#include "core/PathText.h"
#include "fontdata/opentype/Container.h"
#include "fontdata/opentype/OpenTypeData.h"

namespace Quillmark {

namespace {

constexpr int kOffsetTableSize = 12;
constexpr int kDirectoryRecordSize = 16;

quint32 ReadU32(const QByteArray& bytes, qsizetype at) {
    return qFromBigEndian<quint32>(bytes.constData() + at);
}

quint16 ReadU16(const QByteArray& bytes, qsizetype at) {
    return qFromBigEndian<quint16>(bytes.constData() + at);
}

void PutU16(QByteArray& bytes, quint16 value) {
    char out[2];
    qToBigEndian(value, out);
    bytes.append(out, 2);
}

void WriteU32(QByteArray& bytes, qsizetype at, quint32 value) {
    qToBigEndian(value, bytes.data() + at);
}

quint32 TableChecksum(const QByteArray& table) {
    quint32 sum = 0;
    for (qsizetype i = 0; i < table.size(); i += 4) {
        quint32 word = 0;
        for (qsizetype k = 0; k < 4; ++k) {
            word = word << 8 | (i + k < table.size() ? static_cast<quint8>(table[i + k]) : 0);
        }
        sum += word;
    }
    return sum;
}

// A format 0 naming table of Windows Unicode English (United States)
// records, in name ID order.
QByteArray NameTable(const QString& family) {
    QString postScript = family;
    postScript.remove(QLatin1Char(' '));
    const std::pair<quint16, QString> names[] = {
        {1, family}, {2, QStringLiteral("Regular")}, {4, family}, {6, postScript}};
    QByteArray records;
    QByteArray strings;
    for (const auto& [id, text] : names) {
        QByteArray utf16;
        for (const QChar c : text) {
            PutU16(utf16, c.unicode());
        }
        PutU16(records, 3);       // platform: Windows
        PutU16(records, 1);       // encoding: Unicode BMP
        PutU16(records, 0x0409);  // language: English (United States)
        PutU16(records, id);
        PutU16(records, static_cast<quint16>(utf16.size()));
        PutU16(records, static_cast<quint16>(strings.size()));
        strings += utf16;
    }
    QByteArray table;
    const quint16 count = std::size(names);
    PutU16(table, 0);  // format
    PutU16(table, count);
    PutU16(table, static_cast<quint16>(6 + count * 12));  // string storage offset
    return table + records + strings;
}

}  // namespace

CExactFamilies::CExactFamilies(int keep) : m_keep(std::max(2, keep)) {}

CExactFamilies::~CExactFamilies() {
    // Once the application is gone, so is its font database.
    if (QCoreApplication::instance() != nullptr) {
        Clear();
    }
}

CExactFamilies& CExactFamilies::Instance() {
    static CExactFamilies families;
    return families;
}

QByteArray CExactFamilies::Renamed(const QByteArray& font, const QString& family) {
    if (font.size() < kOffsetTableSize) {
        return {};
    }
    const quint32 version = ReadU32(font, 0);
    if (version != 0x00010000 && version != 0x4F54544F /* OTTO */ &&
        version != 0x74727565 /* true */) {
        return {};
    }
    const int tables = ReadU16(font, 4);
    if (font.size() < kOffsetTableSize + qsizetype{tables} * kDirectoryRecordSize) {
        return {};
    }
    qsizetype nameRecord = -1;
    for (int i = 0; i < tables; ++i) {
        const qsizetype at = kOffsetTableSize + qsizetype{i} * kDirectoryRecordSize;
        if (ReadU32(font, at) == 0x6E616D65 /* name */) {
            nameRecord = at;
            break;
        }
    }
    if (nameRecord < 0) {
        return {};
    }
    // The new table goes after everything else, on a 4-byte boundary; the
    // old one stays where it is, unreferenced.
    QByteArray copy = font;
    copy.append((4 - copy.size() % 4) % 4, '\0');
    const QByteArray table = NameTable(family);
    const auto offset = static_cast<quint32>(copy.size());
    copy += table;
    copy.append((4 - copy.size() % 4) % 4, '\0');
    WriteU32(copy, nameRecord + 4, TableChecksum(table));
    WriteU32(copy, nameRecord + 8, offset);
    WriteU32(copy, nameRecord + 12, static_cast<quint32>(table.size()));
    return copy;
}

QString CExactFamilies::FamilyFor(const std::filesystem::path& path, std::uint32_t face) {
    const QFileInfo info(PathText(path));
    const qint64 size = info.size();
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->path == path && it->face == face && it->size == size && it->modified == modified) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            return it->family;
        }
    }
    if (size <= 0 || size >= Varnholt::COpenTypeData::kMaxFileSize) {
        return {};
    }
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QString family = QStringLiteral("Quillmark Exact %1 %2")
                               .arg(QCoreApplication::applicationPid())
                               .arg(++m_next);
    const QByteArray whole = file.readAll();
    std::vector<std::uint8_t> own;
    if (Varnholt::OpenTypeFontData::FaceFile(
            std::span(reinterpret_cast<const std::uint8_t*>(whole.constData()),
                      static_cast<std::size_t>(whole.size())),
            face, own) != Varnholt::FontStatus::Loaded) {
        return {};
    }
    const QByteArray renamed = Renamed(
        QByteArray(reinterpret_cast<const char*>(own.data()), static_cast<qsizetype>(own.size())),
        family);
    if (renamed.isEmpty()) {
        return {};
    }
    // Room first, in one batch, so that the new font is never among those removed.
    if (Count() >= m_keep) {
        RemoveOldest(m_keep / 2);
    }
    const int id = QFontDatabase::addApplicationFontFromData(renamed);
    if (id < 0) {
        return {};
    }
    // Registered is not yet drawn: the font Qt then picks for the family
    // must be this one, never a substitute.
    if (!QFontDatabase::applicationFontFamilies(id).contains(family) ||
        QFontInfo(QFont(family)).family() != family) {
        QFontDatabase::removeApplicationFont(id);
        return {};
    }
    m_entries.push_front({path, face, size, modified, id, family});
    return family;
}

void CExactFamilies::RemoveOldest(int count) {
    for (int i = 0; i < count && !m_entries.empty(); ++i) {
        QFontDatabase::removeApplicationFont(m_entries.back().id);
        m_entries.pop_back();
    }
}

void CExactFamilies::Clear() {
    RemoveOldest(Count());
}

}  // namespace Quillmark
