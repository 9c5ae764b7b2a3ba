#include "fontdata/opentype/NamingTable.h"

#include "fontdata/opentype/internal/Cursor.h"

namespace Varnholt::OpenTypeFontData {

std::uint32_t CNameRecord::Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) {
    if (m_parsed) {
        return 0;
    }
    auto cursor = BeginParse(image, offset, available, kSize, kSize);
    Record record;
    if (!cursor || !cursor->Read(record.platformID, record.encodingID, record.languageID,
                                 record.nameID, record.length, record.offset)) {
        return 0;
    }
    m_parsed = true;
    if (record.platformID != kWindowsPlatform) {
        return kSize;
    }
    auto text = CursorAt(image, m_stringStorage + record.offset, record.length);
    if (!text) {
        return 0;
    }
    // UTF-16BE code units; an odd final byte is dropped.
    record.text.resize(record.length / 2);
    if (!text->ReadArray(std::span<char16_t>(record.text))) {
        return 0;
    }
    m_record = std::move(record);
    return kSize;
}

std::uint32_t CNamingTable::Parse(CFontImage& image, std::uint64_t offset,
                                  std::uint32_t available) {
    if (m_data) {
        return 0;
    }
    auto cursor = BeginParse(image, offset, available, kHeaderSize, kHeaderSize);
    auto data = std::make_shared<Data>();
    if (!cursor || !cursor->Read(data->format, data->count, data->stringOffset)) {
        return 0;
    }
    m_data = data;
    data->records.reserve(data->count);

    const std::uint64_t storage = offset + data->stringOffset;
    std::uint32_t left = available - kHeaderSize;
    std::uint64_t at = offset + kHeaderSize;
    for (std::uint32_t i = 0; i < data->count; ++i) {
        CNameRecord record(storage);
        if (record.Parse(image, at, left) == 0) {
            return 0;
        }
        if (record.HasRecord()) {
            data->records.push_back(std::move(record));
        }
        left -= CNameRecord::kSize;
        at += CNameRecord::kSize;
    }
    return kHeaderSize;
}

}  // namespace Varnholt::OpenTypeFontData
