#pragma once

// One bounded reader of big-endian fields, the only code of the reader that
// turns file bytes into numbers.
//
// Contract: a cursor is made over one range of bytes (a span the font image
// has already checked, or an empty range) and never reads outside it. A read
// names the size of what it reads; when that would pass the end of the range
// it returns std::nullopt (or false) and moves nothing, so a field is read
// whole or not at all. Reads at an offset count from the start of the range
// and leave the position alone. Values come back in host order.
//
// Modelled on ttf-parser's `Stream` (read -> Option) and HarfBuzz's
// `HBUINT16` family: no table code swaps bytes or indexes a raw pointer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <type_traits>

#include "fontdata/opentype/FontImage.h"

namespace Varnholt::OpenTypeFontData {

class CCursor {
public:
    CCursor() = default;
    explicit CCursor(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    std::size_t Size() const { return m_bytes.size(); }
    std::size_t Position() const { return m_position; }
    std::size_t Left() const { return m_bytes.size() - m_position; }

    // At the position, moving past the field.
    std::optional<std::uint8_t> U8() { return Next<std::uint8_t>(); }
    std::optional<std::uint16_t> U16() { return Next<std::uint16_t>(); }
    std::optional<std::int16_t> I16() { return Next<std::int16_t>(); }
    std::optional<std::uint32_t> U32() { return Next<std::uint32_t>(); }

    // At `offset` from the start of the range; the position stays.
    std::optional<std::uint8_t> U8At(std::size_t offset) const { return At<std::uint8_t>(offset); }
    std::optional<std::uint16_t> U16At(std::size_t offset) const {
        return At<std::uint16_t>(offset);
    }
    std::optional<std::uint32_t> U32At(std::size_t offset) const {
        return At<std::uint32_t>(offset);
    }

    // Reads the fields in order at the position, all of them or none: false,
    // with nothing written or moved, when they do not all fit. Fields are
    // std::uint8_t, std::uint16_t, std::int16_t, std::uint32_t, or byte
    // arrays (std::array<std::uint8_t, N>, taken as they are).
    template <typename... Fields>
    bool Read(Fields&... fields) {
        constexpr std::size_t total = (SizeOf<Fields>() + ... + 0);
        if (total > Left()) {
            return false;
        }
        (Decode(fields), ...);
        return true;
    }

    // Reads values.size() fields of type T in order at the position, all of
    // them or none.
    template <typename T>
    bool ReadArray(std::span<T> values) {
        static_assert(std::is_integral_v<T>);
        if (values.size() > Left() / sizeof(T)) {
            return false;
        }
        for (T& value : values) {
            value = Load<T>(m_position);
            m_position += sizeof(T);
        }
        return true;
    }

    bool Skip(std::size_t count) {
        if (count > Left()) {
            return false;
        }
        m_position += count;
        return true;
    }

    // A cursor over `length` bytes at `offset` of this range, at its start.
    std::optional<CCursor> Sub(std::size_t offset, std::size_t length) const {
        if (!Fits(offset, length)) {
            return std::nullopt;
        }
        return CCursor(m_bytes.subspan(offset, length));
    }

private:
    template <typename T>
    static constexpr std::size_t SizeOf() {
        if constexpr (std::is_integral_v<T>) {
            return sizeof(T);
        } else {
            static_assert(std::is_same_v<typename T::value_type, std::uint8_t>);
            return std::tuple_size_v<T>;
        }
    }

    bool Fits(std::size_t offset, std::size_t length) const {
        return offset <= m_bytes.size() && length <= m_bytes.size() - offset;
    }

    // Big-endian bytes to a host-order value; the caller checked the range.
    template <typename T>
    T Load(std::size_t offset) const {
        static_assert(std::is_integral_v<T> && sizeof(T) <= 4 && sizeof(T) != 3);
        const std::uint8_t* p = m_bytes.data() + offset;
        if constexpr (sizeof(T) == 1) {
            return static_cast<T>(p[0]);
        } else if constexpr (sizeof(T) == 2) {
            return static_cast<T>((p[0] << 8) | p[1]);
        } else {
            return static_cast<T>((std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                  (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]});
        }
    }

    template <typename T>
    std::optional<T> At(std::size_t offset) const {
        if (!Fits(offset, sizeof(T))) {
            return std::nullopt;
        }
        return Load<T>(offset);
    }

    template <typename T>
    std::optional<T> Next() {
        if (sizeof(T) > Left()) {
            return std::nullopt;
        }
        const T value = Load<T>(m_position);
        m_position += sizeof(T);
        return value;
    }

    template <typename T>
    void Decode(T& field) {
        if constexpr (std::is_integral_v<T>) {
            field = Load<T>(m_position);
            m_position += sizeof(T);
        } else {
            for (auto& byte : field) {
                byte = m_bytes[m_position++];
            }
        }
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

// The image's bytes [offset, offset + length) as a cursor; nullopt when they
// do not lie inside the image.
inline std::optional<CCursor> CursorAt(CFontImage& image, std::uint64_t offset,
                                       std::uint64_t length) {
    const std::uint8_t* bytes = image.Bytes(offset, length);
    if (bytes == nullptr) {
        return std::nullopt;
    }
    return CCursor(std::span<const std::uint8_t>(bytes, static_cast<std::size_t>(length)));
}

// The prologue of every Parse: the structure needs `needs` bytes of the
// loader's running count `available` (a count, not a bound on the position)
// and its first `length` bytes inside the image.
inline std::optional<CCursor> BeginParse(CFontImage& image, std::uint64_t offset,
                                         std::uint32_t available, std::uint32_t needs,
                                         std::uint64_t length) {
    if (available < needs) {
        return std::nullopt;
    }
    return CursorAt(image, offset, length);
}

}  // namespace Varnholt::OpenTypeFontData
