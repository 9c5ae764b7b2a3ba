#pragma once

// File names as the file system holds them (bytes, mostly UTF-8) and as
// text (UTF-16). A byte that is not part of valid UTF-8 becomes the lone
// surrogate U+DC80..U+DCFF of its value and turns back into that byte, so a
// name survives the round trip whatever it holds (Python reads and writes
// such text with its "surrogateescape" handler). Lone surrogates are for
// keeping a name, never for showing it: DisplayText replaces them.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace Quillmark::Platform {

namespace PathBytesDetail {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char16_t kReplacement = 0xFFFD;

inline bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The code point of the valid UTF-8 sequence at `at`, and its length; a
// length of 0 when no valid sequence starts there.
inline std::size_t DecodeOne(std::string_view bytes, std::size_t at, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(byte(i))) {
            return 0;
        }
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return 0;
    }
    return length;
}

inline void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace PathBytesDetail

// A name's bytes as text, each byte outside valid UTF-8 as U+DC80..U+DCFF.
inline std::u16string PathBytesToText(std::string_view bytes) {
    using namespace PathBytesDetail;
    std::u16string text;
    text.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeOne(bytes, at, code);
        if (length == 0) {
            text += static_cast<char16_t>(kEscapeBase + static_cast<unsigned char>(bytes[at]));
            ++at;
            continue;
        }
        if (code >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(code);
        }
        at += length;
    }
    return text;
}

// The bytes of a name given as text: the inverse of PathBytesToText. Other
// lone surrogates, which no name decodes to, are written as U+FFFD.
inline std::string PathTextToBytes(std::u16string_view text) {
    using namespace PathBytesDetail;
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(bytes, 0x10000 + ((char32_t(c) - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        } else if (c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF) {
            bytes += static_cast<char>(c - kEscapeBase);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            AppendUtf8(bytes, kReplacement);
        } else {
            AppendUtf8(bytes, c);
        }
    }
    return bytes;
}

// A name's bytes as UTF-8 for showing: each byte outside valid UTF-8 as
// U+FFFD.
inline std::string PathDisplayText(std::string_view bytes) {
    using namespace PathBytesDetail;
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeOne(bytes, at, code);
        if (length == 0) {
            AppendUtf8(out, kReplacement);
            ++at;
        } else {
            out.append(bytes.substr(at, length));
            at += length;
        }
    }
    return out;
}

// UTF-8 text made safe for a terminal: control characters (C0, DEL and C1)
// written as escapes (\x1b, \u009b), so that a name can neither move the
// cursor nor change colours; bytes outside valid UTF-8 as U+FFFD.
inline std::string TerminalText(std::string_view bytes) {
    using namespace PathBytesDetail;
    const std::string valid = PathDisplayText(bytes);
    std::string out;
    out.reserve(valid.size());
    for (std::size_t at = 0; at < valid.size();) {
        char32_t code = 0;
        const std::size_t length = DecodeOne(valid, at, code);
        char escape[8] = {};
        if (code < 0x20 || code == 0x7F) {
            std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned>(code));
            out += escape;
        } else if (code >= 0x80 && code <= 0x9F) {
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(code));
            out += escape;
        } else {
            out.append(valid, at, length);
        }
        at += length;
    }
    return out;
}

}  // namespace Quillmark::Platform
