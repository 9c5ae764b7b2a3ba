#pragma once

// A release version: four numbers (major, minor, build, revision), as the
// update service and the program's own version text give them.

#include <QString>
#include <QtGlobal>
#include <array>
#include <compare>

namespace Quillmark {

struct CVersion {
    std::array<quint32, 4> fields{};  // major, minor, build, revision

    // The first four dot-separated numbers found anywhere in the text
    // ("v1.2.3.4 beta" reads as 1.2.3.4); 0.0.0.0 when there are none, or
    // when a number of the first four does not fit in 32 bits.
    static CVersion Parse(const QString& text);

    QString ToString() const;
    bool IsZero() const { return fields == std::array<quint32, 4>{}; }

    // Field by field, as numbers: 3.2.10.0 is after 3.2.9.999.
    auto operator<=>(const CVersion&) const = default;
};

// True when `offered` is a later release than `running`.
inline bool IsNewer(const CVersion& offered, const CVersion& running) {
    return offered > running;
}

}  // namespace Quillmark
