#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "fontdata/opentype/internal/DataStructure.h"
#include "fontdata/opentype/internal/TextPool.h"

namespace Varnholt::OpenTypeFontData {

// One record of the naming table. Only Windows-platform (3) records keep a
// record; any other record is read for its size and dropped.
class CNameRecord : public IDataStructure {
public:
    struct Record {
        std::uint16_t platformID = 0;
        std::uint16_t encodingID = 0;
        std::uint16_t languageID = 0;
        std::uint16_t nameID = 0;
        std::uint16_t length = 0;
        std::uint16_t offset = 0;
        // UTF-16 code units as stored, in host order. It views the naming
        // table's strings, decoded once for all records, and is valid as
        // long as the table is.
        std::u16string_view text;
    };
    static constexpr std::uint32_t kSize = 12;
    static constexpr std::uint16_t kWindowsPlatform = 3;

    // Reads the six fields. The text of a Windows record is the naming
    // table's to give (CNamingTable::Parse), as records may share it.
    std::uint32_t Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) override;

    bool HasRecord() const { return m_record.has_value(); }
    const Record& GetRecord() const { return *m_record; }

private:
    friend class CNamingTable;

    bool m_parsed = false;
    std::optional<Record> m_record;
};

// The `name` table: its header and the Windows records in file order.
class CNamingTable : public IDataStructure {
public:
    struct Data {
        std::uint16_t format = 0;
        std::uint16_t count = 0;
        std::uint16_t stringOffset = 0;
        std::vector<CNameRecord> records;
        // The storage bytes the Windows records read, decoded once as
        // UTF-16BE: each stretch of overlapping texts from its first byte
        // and, when a text in it starts an odd number of bytes after that,
        // from the next byte too. Records' texts view these, which are
        // shared with every other font that has the same stretch.
        std::vector<CSharedText> texts;

        Data() = default;
        Data(const Data&) = delete;  // the records' texts point into it
        Data& operator=(const Data&) = delete;
    };
    static constexpr std::uint32_t kHeaderSize = 6;

    // Returns the header's size, 6, however many records were read; 0 when
    // the table was parsed before, any record fails, or a Windows record's
    // text does not lie inside the image.
    std::uint32_t Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) override;

    const Data* GetData() const { return m_data.get(); }

private:
    static bool ReadTexts(CFontImage& image, std::uint64_t storage, Data& data);

    std::shared_ptr<Data> m_data;
};

}  // namespace Varnholt::OpenTypeFontData
