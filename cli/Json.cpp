#include "cli/Json.h"

#include <charconv>
#include <cmath>

#include <cstdio>

#include "fontdata/opentype/FontInfoRows.h"
#include "platform/PathBytes.h"

namespace Quillmark::Cli {

namespace {
void AppendEscape(std::string& out, unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", value);
    out += buffer;
}

std::string EscapeJson(std::u16string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool high = c >= 0xD800 && c <= 0xDBFF;
        const bool low = c >= 0xDC00 && c <= 0xDFFF;
        if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            out += Varnholt::ToUtf8(text.substr(i, 2));
            ++i;
        } else if (high || low) {
            AppendEscape(out, c);
        } else if (c == u'"') {
            out += "\\\"";
        } else if (c == u'\\') {
            out += "\\\\";
        } else if (c == u'\n') {
            out += "\\n";
        } else if (c == u'\r') {
            out += "\\r";
        } else if (c == u'\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F || c == 0x85 || c == 0x2028 || c == 0x2029) {
            // Line separators too, so that every reader splits lines where we do.
            AppendEscape(out, c);
        } else {
            out += Varnholt::ToUtf8(text.substr(i, 1));
        }
    }
    out += '"';
    return out;
}

}  // namespace

void CJsonLine::Separate() {
    if (m_needComma) {
        m_out += ',';
    }
    m_needComma = true;
}

CJsonLine& CJsonLine::Begin() {
    Separate();
    m_out += '{';
    m_needComma = false;
    return *this;
}

CJsonLine& CJsonLine::End() {
    m_out += '}';
    m_needComma = true;
    return *this;
}

CJsonLine& CJsonLine::BeginArray(std::string_view key) {
    if (!key.empty()) {
        Key(key);
    } else {
        Separate();
    }
    m_out += '[';
    m_needComma = false;
    return *this;
}

CJsonLine& CJsonLine::EndArray() {
    m_out += ']';
    m_needComma = true;
    return *this;
}

CJsonLine& CJsonLine::Key(std::string_view key) {
    Separate();
    m_out += EscapeJson(Varnholt::FromUtf8(key));
    m_out += ':';
    m_needComma = false;
    return *this;
}

CJsonLine& CJsonLine::String(std::u16string_view text) {
    Separate();
    m_out += EscapeJson(text);
    return *this;
}

CJsonLine& CJsonLine::String(std::string_view utf8) {
    return String(Varnholt::FromUtf8(utf8));
}

CJsonLine& CJsonLine::Path(std::string_view bytes) {
    return String(std::u16string_view(Platform::PathBytesToText(bytes)));
}

CJsonLine& CJsonLine::Number(std::int64_t value) {
    Separate();
    m_out += std::to_string(value);
    return *this;
}

CJsonLine& CJsonLine::Real(double value) {
    Separate();
    if (!std::isfinite(value)) {
        m_out += "null";  // JSON has no infinities
        return *this;
    }
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    m_out.append(text, result.ptr);
    return *this;
}

CJsonLine& CJsonLine::Bool(bool value) {
    Separate();
    m_out += value ? "true" : "false";
    return *this;
}

CJsonLine& CJsonLine::Null() {
    Separate();
    m_out += "null";
    return *this;
}

}  // namespace Quillmark::Cli
