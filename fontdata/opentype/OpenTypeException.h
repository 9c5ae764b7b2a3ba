#pragma once

#include <exception>

#include "fontdata/opentype/FontStatus.h"

namespace Varnholt {

// Raised inside the reader for a file that cannot be used. It never leaves
// COpenTypeData::Load, which returns the status instead.
class COpenTypeException : public std::exception {
public:
    explicit COpenTypeException(FontStatus status) noexcept : m_status(status) {}
    FontStatus status() const noexcept { return m_status; }
    const char* what() const noexcept override { return "COpenTypeException"; }

private:
    FontStatus m_status;
};

}  // namespace Varnholt
