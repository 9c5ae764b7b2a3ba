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
    data->records.shrink_to_fit();  // the Windows records only
    return ReadTexts(image, offset + data->stringOffset, *data) ? kHeaderSize : 0;
}

// Records may overlap (a crafted file can point thousands at one stretch of
// storage), so the texts are decoded once, not copied a record at a time:
// the ranges the Windows records read are merged where they overlap, and
// each merged stretch is decoded once (twice when a text in it starts at an
// odd distance from its start). What is held is thus at most two code units
// for every two bytes some Windows record reads, at most 2 × 128 KB as
// offsets and lengths are 16-bit, and no more than the texts for a font
// whose texts do not overlap; a stretch another font has too is shared with
// it. A text must lie inside the image; an empty one may begin anywhere.
bool CNamingTable::ReadTexts(CFontImage& image, std::uint64_t storage, Data& data) {
    struct CStretch {
        std::uint32_t start = 0;
        std::uint32_t end = 0;
        bool odd = false;
        std::size_t text = 0;  // its decoding in data.texts
    };
    std::vector<CStretch> stretches;
    for (const CNameRecord& record : data.records) {
        const auto& r = *record.m_record;
        if (r.length > 0) {
            stretches.push_back({r.offset, std::uint32_t{r.offset} + r.length});
        }
    }
    if (stretches.empty()) {
        return true;  // every text is empty
    }
    std::sort(stretches.begin(), stretches.end(),
              [](const CStretch& a, const CStretch& b) { return a.start < b.start; });
    std::size_t merged = 0;
    for (std::size_t i = 1; i < stretches.size(); ++i) {
        if (stretches[i].start < stretches[merged].end) {
            stretches[merged].end = std::max(stretches[merged].end, stretches[i].end);
        } else {
            stretches[++merged] = stretches[i];
        }
    }
    stretches.resize(merged + 1);
    const auto stretchOf = [&](std::uint32_t offset) -> CStretch& {
        return *(
            std::upper_bound(stretches.begin(), stretches.end(), offset,
                             [](std::uint32_t at, const CStretch& s) { return at < s.start; }) -
            1);
    };
    for (const CNameRecord& record : data.records) {
        const auto& r = *record.m_record;
        if (r.length > 0) {
            CStretch& stretch = stretchOf(r.offset);
            stretch.odd = stretch.odd || (r.offset - stretch.start) % 2 == 1;
        }
    }
    data.texts.reserve(stretches.size());
    for (CStretch& stretch : stretches) {
        auto bytes = CursorAt(image, storage + stretch.start, stretch.end - stretch.start);
        if (!bytes) {
            return false;
        }
        const std::size_t even = bytes->Size() / 2;
        // Decoded where the last font's were: a text another font holds
        // already costs no copy.
        thread_local std::u16string units;
        units.assign(even + (stretch.odd ? (bytes->Size() - 1) / 2 : 0), u'\0');
        for (std::uint32_t skip = 0; skip < (stretch.odd ? 2u : 1u); ++skip) {
            auto from = bytes->Sub(skip, bytes->Size() - skip);
            if (!from || !from->ReadArray(std::span<char16_t>(units).subspan(skip == 0 ? 0 : even,
                                                                             from->Size() / 2))) {
                return false;
            }
        }
        stretch.text = data.texts.size();
        data.texts.push_back(ShareText(units));
    }
    for (CNameRecord& record : data.records) {
        auto& r = *record.m_record;
        if (r.length == 0) {
            continue;
        }
        const CStretch& stretch = stretchOf(r.offset);
        const std::u16string_view units(*data.texts[stretch.text]);
        const std::uint32_t at = r.offset - stretch.start;
        const std::size_t from = at % 2 == 0 ? 0 : (stretch.end - stretch.start) / 2;
        r.text = units.substr(from + at / 2, r.length / 2);
    }
    return true;
}

}  // namespace Varnholt::OpenTypeFontData
