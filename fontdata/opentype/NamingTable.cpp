#include "fontdata/opentype/NamingTable.h"

#include <algorithm>

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
    if (record.platformID == kWindowsPlatform) {
        m_record = record;
    }
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

    std::uint32_t left = available - kHeaderSize;
    std::uint64_t at = offset + kHeaderSize;
    for (std::uint32_t i = 0; i < data->count; ++i) {
        CNameRecord record;
        if (record.Parse(image, at, left) == 0) {
            return 0;
        }
        if (record.HasRecord()) {
            data->records.push_back(record);
        }
        left -= CNameRecord::kSize;
        at += CNameRecord::kSize;
    }
    return ReadTexts(image, offset + data->stringOffset, *data) ? kHeaderSize : 0;
}

// Records may overlap (a crafted file can point thousands at one stretch of
// storage), so the texts are decoded once, not copied a record at a time:
// what is held is at most two code units for every two bytes between the
// first and last byte any Windows record reads, at most 2 × 128 KB as
// offsets and lengths are 16-bit. A text must lie inside the image; an
// empty one may begin anywhere.
bool CNamingTable::ReadTexts(CFontImage& image, std::uint64_t storage, Data& data) {
    std::uint32_t first = 0xFFFFFFFF;
    std::uint32_t end = 0;
    for (const CNameRecord& record : data.records) {
        const auto& r = *record.m_record;
        if (r.length > 0) {
            first = std::min<std::uint32_t>(first, r.offset);
            end = std::max<std::uint32_t>(end, std::uint32_t{r.offset} + r.length);
        }
    }
    if (end == 0) {
        return true;  // every text is empty
    }
    // Inside the image exactly when every text in it is: both ends are some
    // text's ends.
    auto bytes = CursorAt(image, storage + first, end - first);
    if (!bytes) {
        return false;
    }
    bool odd = false;
    for (const CNameRecord& record : data.records) {
        const auto& r = *record.m_record;
        odd = odd || (r.length > 0 && (r.offset - first) % 2 == 1);
    }
    for (std::uint32_t skip = 0; skip < (odd ? 2u : 1u); ++skip) {
        auto from = bytes->Sub(skip, bytes->Size() - skip);
        if (!from) {
            return false;
        }
        auto& units = data.units[skip];
        units.resize(from->Size() / 2);
        if (!from->ReadArray(std::span<char16_t>(units))) {
            return false;
        }
    }
    for (CNameRecord& record : data.records) {
        auto& r = *record.m_record;
        if (r.length == 0) {
            continue;
        }
        const std::uint32_t at = r.offset - first;
        const std::u16string_view units(data.units[at % 2].data(), data.units[at % 2].size());
        if (at / 2 + r.length / 2 > units.size()) {
            return false;  // cannot happen: the text lies between `first` and `end`
        }
        r.text = units.substr(at / 2, r.length / 2);
    }
    return true;
}

}  // namespace Varnholt::OpenTypeFontData
