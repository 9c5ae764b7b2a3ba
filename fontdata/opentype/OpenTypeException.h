#pragma once

#include <exception>

namespace Varnholt {

// Raised inside the reader for a file that cannot be used. It never leaves
// COpenTypeData::Load, which returns the code instead.
class COpenTypeException : public std::exception {
public:
    enum Code : int {
        CouldNotOpen = 2,
        CouldNotRead = 3,
        Corrupt = 4,
        TooLarge = 5,
    };

    explicit COpenTypeException(int code) noexcept : m_code(code) {}
    int code() const noexcept { return m_code; }
    const char* what() const noexcept override { return "COpenTypeException"; }

private:
    int m_code;
};

}  // namespace Varnholt
