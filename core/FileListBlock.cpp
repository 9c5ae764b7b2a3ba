#include "core/FileListBlock.h"

#include <QtEndian>

namespace Quillmark {

namespace {

constexpr quint32 kListOffset = 20;

void AppendUnit(QByteArray& block, char16_t unit) {
    block.append(static_cast<char>(unit & 0xFF));
    block.append(static_cast<char>(unit >> 8));
}

}  // namespace

QByteArray EncodeFileListBlock(const QStringList& paths) {
    QByteArray block(static_cast<qsizetype>(kListOffset), '\0');
    qToLittleEndian<quint32>(kListOffset, block.data());  // list offset
    qToLittleEndian<qint32>(0, block.data() + 4);         // drop point x
    qToLittleEndian<qint32>(0, block.data() + 8);         // drop point y
    qToLittleEndian<quint32>(0, block.data() + 12);       // non-client flag
    qToLittleEndian<quint32>(1, block.data() + 16);       // wide characters
    for (const QString& path : paths) {
        if (path.isEmpty())
            continue;  // an empty path would end the list early
        for (const QChar ch : path) AppendUnit(block, ch.unicode());
        AppendUnit(block, 0);
    }
    AppendUnit(block, 0);
    return block;
}

std::optional<QStringList> DecodeFileListBlock(const QByteArray& block) {
    if (block.size() < static_cast<qsizetype>(kListOffset))
        return std::nullopt;
    const auto* bytes = reinterpret_cast<const uchar*>(block.constData());
    const quint32 offset = qFromLittleEndian<quint32>(bytes);
    const quint32 wide = qFromLittleEndian<quint32>(bytes + 16);
    if (wide != 1 || offset < kListOffset || offset > static_cast<quint32>(block.size()))
        return std::nullopt;
    QStringList paths;
    QString current;
    for (qsizetype at = offset; at + 1 < block.size(); at += 2) {
        const char16_t unit = qFromLittleEndian<quint16>(bytes + at);
        if (unit != 0) {
            current.append(QChar(unit));
            continue;
        }
        if (current.isEmpty())
            return paths;  // the closing zero
        paths << current;
        current.clear();
    }
    return std::nullopt;  // no closing zero before the end
}

}  // namespace Quillmark
