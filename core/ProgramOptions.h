#pragma once

// All user settings and remembered window places, read from the settings key
// once at start and written once at exit. Copies share one record.

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>

#include "core/OptionTypes.h"

namespace Quillmark {

// A position (x, y) or a size (width, height); -1: unset.
using CPair = std::array<qint32, 2>;

constexpr CPair CPairDefault() {
    return {-1, -1};
}

class CProgramOptions {
public:
    CProgramOptions();

    // The widths a list column is read with, in pixels.
    static constexpr quint32 kSmallestColumnWidth = 16;
    static constexpr quint32 kLargestColumnWidth = 8192;

    // Reads every value that is stored, each brought into the range the
    // program offers (sizes 6..300 pixels, print sizes 1..500 points, a column, mode or choice the
    // program has, text colours that differ from their background); a missing key leaves every
    // default. False when there was no key: nothing was ever saved (a first start).
    bool Load();
    // Writes every value, creating the key when it does not exist. Returns
    // whether the store accepted the write.
    bool Save() const;

#define QM_TYPE_BOOL bool
#define QM_TYPE_DWORD quint32
#define QM_TYPE_COUNT quint32
#define QM_TYPE_STRING QString
#define QM_TYPE_METRICS CWindowMetrics
#define QM_TYPE_PAIR CPair
#define QM_TYPE_RENDERING Rendering
#define QM_TYPE_STARTUP StartupLocation
#define QM_TYPE_SHOW ShowCommand
#define X(kind, name, def)            \
    QM_TYPE_##kind Get##name() const; \
    void Set##name(const QM_TYPE_##kind& value);
#include "core/OptionsTable.inc"
#undef X

    // The main window's bar layout, kept in the same key outside Load and
    // Save; each opens the key itself.
    static qsizetype GetMainRebarLayoutSize();
    static QByteArray GetMainRebarLayout();
    static bool SetMainRebarLayout(const QByteArray& layout);

private:
    void KeepInOfferedRanges();

    struct Record;
    std::shared_ptr<Record> m_d;
};

}  // namespace Quillmark
