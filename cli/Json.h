#pragma once

// A small JSON line writer. Text is UTF-16: valid characters are written as
// UTF-8, a lone surrogate as its \uXXXX escape, so nothing is replaced.

#include <cstdint>
#include <string>
#include <string_view>

namespace Quillmark::Cli {

class CJsonLine {
public:
    CJsonLine& Begin();  // {
    CJsonLine& End();    // }
    CJsonLine& BeginArray(std::string_view key = {});
    CJsonLine& EndArray();
    CJsonLine& Key(std::string_view key);
    CJsonLine& String(std::u16string_view text);
    CJsonLine& String(std::string_view utf8);
    // A file's path as the file system holds it: a byte that is not UTF-8
    // is written as \udcXX (Python's "surrogateescape" reads it back).
    CJsonLine& Path(std::string_view bytes);
    CJsonLine& Number(std::int64_t value);
    // The shortest text that reads back as the same double (null for an
    // infinity or NaN, which JSON cannot say).
    CJsonLine& Real(double value);
    CJsonLine& Bool(bool value);
    CJsonLine& Null();

    const std::string& Text() const { return m_out; }

private:
    void Separate();

    std::string m_out;
    bool m_needComma = false;
};

}  // namespace Quillmark::Cli
