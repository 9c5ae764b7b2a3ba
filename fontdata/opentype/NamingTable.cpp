#include "fontdata/opentype/NamingTable.h"

namespace Varnholt::OpenTypeFontData {

std::uint32_t CNameRecord::Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) {
    if (m_parsed || available < kSize) {
        return 0;
    }
    const std::uint8_t* bytes = image.Bytes(offset, kSize);
    if (bytes == nullptr) {
        return 0;
    }
    m_parsed = true;
    const CBigEndian be(bytes);
    Record record;
    record.platformID = be.U16(0);
    record.encodingID = be.U16(2);
    record.languageID = be.U16(4);
    record.nameID = be.U16(6);
    record.length = be.U16(8);
    record.offset = be.U16(10);
    if (record.platformID != kWindowsPlatform) {
        return kSize;
    }
    const std::uint8_t* text = image.Bytes(m_stringStorage + record.offset, record.length);
    if (text == nullptr) {
        return 0;
    }
    const CBigEndian units(text);
    record.text.resize(record.length / 2);
    for (std::uint32_t i = 0; i < record.text.size(); ++i) {
        record.text[i] = static_cast<char16_t>(units.U16(2 * i));
    }
    m_record = std::move(record);
    return kSize;
}

std::uint32_t CNamingTable::Parse(CFontImage& image, std::uint64_t offset,
                                  std::uint32_t available) {
    if (m_data || available < kHeaderSize) {
        return 0;
    }
    const std::uint8_t* bytes = image.Bytes(offset, kHeaderSize);
    if (bytes == nullptr) {
        return 0;
    }
    const CBigEndian be(bytes);
    m_data = std::make_shared<Data>();
    m_data->format = be.U16(0);
    m_data->count = be.U16(2);
    m_data->stringOffset = be.U16(4);
    m_data->records.reserve(m_data->count);

    const std::uint64_t storage = offset + m_data->stringOffset;
    std::uint32_t left = available - kHeaderSize;
    std::uint64_t at = offset + kHeaderSize;
    for (std::uint32_t i = 0; i < m_data->count; ++i) {
        CNameRecord record(storage);
        if (record.Parse(image, at, left) == 0) {
            return 0;
        }
        if (record.HasRecord()) {
            m_data->records.push_back(std::move(record));
        }
        left -= CNameRecord::kSize;
        at += CNameRecord::kSize;
    }
    return kHeaderSize;
}

}  // namespace Varnholt::OpenTypeFontData
