#pragma once

// All user settings and remembered window places, read from the settings key
// once at start and written once at exit. Copies share one record.

#include <QPoint>
#include <QSize>
#include <QString>
#include <array>
#include <memory>

namespace Quillmark {

// x, y, width, height, then three values of the main window's own; -1: unset.
using CMetrics7 = std::array<qint32, 7>;
// A position (x, y) or a size (width, height); -1: unset.
using CPair = std::array<qint32, 2>;

constexpr CMetrics7 CMetrics7Default() {
    return {-1, -1, -1, -1, -1, -1, -1};
}
constexpr CPair CPairDefault() {
    return {-1, -1};
}

class CProgramOptions {
public:
    // The rendering options' values.
    enum Rendering : quint32 {
        DesktopDefault = 0,
        GreyscaleAntialiased = 1,
        SubpixelAntialiased = 2
    };

    CProgramOptions();

    // Reads every value that is stored; a missing key leaves every default.
    void Load();
    // Writes every value, creating the key when it does not exist. Returns
    // whether the store accepted the write.
    bool Save() const;

#define QM_TYPE_BOOL bool
#define QM_TYPE_DWORD quint32
#define QM_TYPE_STRING QString
#define QM_TYPE_METRICS CMetrics7
#define QM_TYPE_PAIR CPair
#define X(kind, name, def)            \
    QM_TYPE_##kind Get##name() const; \
    void Set##name(const QM_TYPE_##kind& value);
#include "core/OptionsTable.inc"
#undef X

    // The fields of the two window records.
    QPoint GetWindowPosition() const;
    QSize GetWindowSize() const;
    void SetWindowPosition(QPoint position);
    void SetWindowSize(QSize size);
    qint32 GetWindowMetricsField(int index) const;  // 4, 5 or 6
    void SetWindowMetricsField(int index, qint32 value);
    // Copies all seven values of WindowMetrics into RestoredMetrics.
    void SaveRestoredMetrics();

    // The main window's bar layout, kept in the same key outside Load and
    // Save; each opens the key itself.
    static qsizetype GetMainRebarLayoutSize();
    static QByteArray GetMainRebarLayout();
    static bool SetMainRebarLayout(const QByteArray& layout);

private:
    struct Record;
    std::shared_ptr<Record> m_d;
};

}  // namespace Quillmark
