#include "fontdata/opentype/FontInfoRows.h"

#include <array>

namespace Varnholt {

const char* StatusMessage(FontStatus status) {
    switch (status) {
        case FontStatus::Loaded:
            return nullptr;
        case FontStatus::CouldNotOpen:
            return "ERROR: Could not open file";
        case FontStatus::CouldNotRead:
            return "ERROR: Could not read file";
        case FontStatus::TooLarge:
            // Never opened: nothing is known to be wrong with it.
            return "ERROR: Font file is too large";
        case FontStatus::Corrupt:
            break;
    }
    return "ERROR: Font file is corrupt";
}

const char* NameIDRowName(std::uint16_t nameID) {
    static constexpr std::array<const char*, 20> kNames = {
        "Copyright",   "Family Name",     "Sub Family Name", "Unique ID",    "Full Font Name",
        "Version",     "Postscript Name", "Trademark",       "Manufacturer", "Designer",
        "Description", "Vendor URL",      "Designer URL",    "License",      "License URL",
        nullptr,       nullptr,           nullptr,           nullptr,        "Sample Text"};
    return nameID < kNames.size() ? kNames[nameID] : nullptr;
}

std::u16string PanoseNumber(const OpenTypeFontData::COS2Table& os2) {
    std::string digits;
    for (const std::uint8_t value : os2.panose) {
        digits += std::to_string(value);
    }
    return std::u16string(digits.begin(), digits.end());
}

std::u16string FormatName(const COpenTypeData& data) {
    using OpenTypeFontData::Container;
    const bool cff = data.HasPostScriptOutlines();
    switch (data.GetContainer()) {
        case Container::Font:
            return cff ? u"OpenType (PostScript outlines)" : u"TrueType";
        case Container::Collection:
            return cff ? u"OpenType collection" : u"TrueType collection";
        case Container::Woff:
            return u"WOFF";
        case Container::Woff2:
            return data.GetFaceCount() > 1 ? u"WOFF2 collection" : u"WOFF2";
    }
    return {};
}

std::vector<CFontInfoRow> FontInfoRows(const std::u16string& fileName, const COpenTypeData& data) {
    std::vector<CFontInfoRow> rows;
    rows.push_back({u"File Name", fileName});
    // A font of one face in a file of its own says nothing new here.
    if (data.GetContainer() != OpenTypeFontData::Container::Font) {
        rows.push_back({u"Format", FormatName(data)});
    }
    if (data.GetFaceCount() > 1) {
        rows.push_back({u"Face Index", FromUtf8(std::to_string(data.GetFaceIndex()))});
        rows.push_back({u"Faces in File", FromUtf8(std::to_string(data.GetFaceCount()))});
    }
    for (const auto& record : data.GetNameRecords()) {
        const auto& r = record.GetRecord();
        if (const char* name = NameIDRowName(r.nameID)) {
            rows.push_back({FromUtf8(name), std::u16string(r.text)});
        }
    }
    rows.push_back({u"Panose Number", PanoseNumber(data.GetOS2())});
    return rows;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80                   ? 0
                    : lead >= 0xF0 && lead < 0xF5 ? 3
                    : lead >= 0xE0                ? 2
                    : lead >= 0xC2 && lead < 0xE0 ? 1
                                                  : -1;
        char32_t c = extra == 0   ? lead
                     : extra == 1 ? lead & 0x1F
                     : extra == 2 ? lead & 0x0F
                                  : lead & 0x07;
        bool ok = extra >= 0;
        for (int k = 1; ok && k <= extra; ++k) {
            if (i + k >= text.size()) {
                ok = false;
                break;
            }
            const auto next = static_cast<unsigned char>(text[i + k]);
            ok = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (ok && ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) ||
                   (extra == 3 && (c < 0x10000 || c > 0x10FFFF)))) {
            ok = false;
        }
        if (!ok) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += extra + 1;
    }
    return out;
}

}  // namespace Varnholt
