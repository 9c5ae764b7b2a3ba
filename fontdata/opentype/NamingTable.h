#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fontdata/opentype/internal/DataStructure.h"

namespace Varnholt::OpenTypeFontData {

// One record of the naming table. Only Windows-platform (3) records keep a
// record and their text; any other record is read for its size and dropped.
class CNameRecord : public IDataStructure {
public:
    struct Record {
        std::uint16_t platformID = 0;
        std::uint16_t encodingID = 0;
        std::uint16_t languageID = 0;
        std::uint16_t nameID = 0;
        std::uint16_t length = 0;
        std::uint16_t offset = 0;
        std::u16string text;  // UTF-16 code units as stored, in host order
    };
    static constexpr std::uint32_t kSize = 12;
    static constexpr std::uint16_t kWindowsPlatform = 3;

    // `stringStorage`: image offset where the table's string storage begins.
    explicit CNameRecord(std::uint64_t stringStorage) : m_stringStorage(stringStorage) {}

    std::uint32_t Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) override;

    bool HasRecord() const { return m_record.has_value(); }
    const Record& GetRecord() const { return *m_record; }

private:
    std::uint64_t m_stringStorage;
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
    };
    static constexpr std::uint32_t kHeaderSize = 6;

    // Returns the header's size, 6, however many records were read; 0 when
    // the table was parsed before or any record fails.
    std::uint32_t Parse(CFontImage& image, std::uint64_t offset, std::uint32_t available) override;

    const Data* GetData() const { return m_data.get(); }

private:
    std::shared_ptr<Data> m_data;
};

}  // namespace Varnholt::OpenTypeFontData
