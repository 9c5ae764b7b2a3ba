#include "core/ProgramOptions.h"

#include <QByteArray>
#include <QtEndian>
#include <algorithm>
#include <type_traits>

#include "core/Key.h"

namespace Quillmark {

struct CProgramOptions::Record {
#define X(kind, name, def) QM_TYPE_##kind name = def;
#include "core/OptionsTable.inc"
#undef X
};

namespace {

template <std::size_t N>
QByteArray ToBinary(const std::array<qint32, N>& values) {
    QByteArray bytes(static_cast<qsizetype>(N * 4), Qt::Uninitialized);
    for (std::size_t i = 0; i < N; ++i) {
        qToLittleEndian<qint32>(values[i], bytes.data() + i * 4);
    }
    return bytes;
}

template <std::size_t N>
void ReadRecord(CKey& key, const QString& name, std::array<qint32, N>& values) {
    std::array<char, N * 4> buffer{};
    for (std::size_t i = 0; i < N; ++i) {
        qToLittleEndian<qint32>(values[i], buffer.data() + i * 4);
    }
    key.ReadBinary(name, buffer.data(), static_cast<qsizetype>(buffer.size()));
    for (std::size_t i = 0; i < N; ++i) {
        values[i] = qFromLittleEndian<qint32>(buffer.data() + i * 4);
    }
}

std::array<qint32, 7> ToRecord(const CWindowMetrics& metrics) {
    const CPlacementRect& p = metrics.placement;
    const CSplitterSizes& s = metrics.splitters;
    return {p.left, p.top, p.width, p.height, s.leftColumn, s.folderTree, s.fontList};
}

CWindowMetrics FromRecord(const std::array<qint32, 7>& r) {
    return {{r[0], r[1], r[2], r[3]}, {r[4], r[5], r[6]}};
}

void Read(CKey& key, const QString& name, bool& value) {
    key.ReadBool(name, value);
}
void Read(CKey& key, const QString& name, quint32& value) {
    key.ReadDWORD(name, value);
}
void Read(CKey& key, const QString& name, QString& value) {
    key.ReadString(name, value);
}
void Read(CKey& key, const QString& name, CWindowMetrics& value) {
    std::array<qint32, 7> record = ToRecord(value);
    ReadRecord(key, name, record);
    value = FromRecord(record);
}
void Read(CKey& key, const QString& name, CPair& value) {
    ReadRecord(key, name, value);
}

// A named type over a DWORD keeps any number the store holds.
template <typename E>
requires std::is_enum_v<E>
void Read(CKey& key, const QString& name, E& value) {
    auto number = static_cast<quint32>(value);
    key.ReadDWORD(name, number);
    value = static_cast<E>(number);
}
// Except the show command, which is stored as a bool.
void Read(CKey& key, const QString& name, ShowCommand& value) {
    bool maximized = value == ShowCommand::Maximized;
    key.ReadBool(name, maximized);
    value = maximized ? ShowCommand::Maximized : ShowCommand::Normal;
}

void Write(CKey& key, const QString& name, bool value) {
    key.WriteDWORD(name, value ? 1 : 0);
}
void Write(CKey& key, const QString& name, quint32 value) {
    key.WriteDWORD(name, value);
}
void Write(CKey& key, const QString& name, const QString& value) {
    key.WriteString(name, value);
}
void Write(CKey& key, const QString& name, const CWindowMetrics& value) {
    key.WriteBinary(name, ToBinary(ToRecord(value)));
}
void Write(CKey& key, const QString& name, const CPair& value) {
    key.WriteBinary(name, ToBinary(value));
}
template <typename E>
requires std::is_enum_v<E>
void Write(CKey& key, const QString& name, E value) {
    key.WriteDWORD(name, static_cast<quint32>(value));
}
void Write(CKey& key, const QString& name, ShowCommand value) {
    key.WriteDWORD(name, value == ShowCommand::Maximized ? 1 : 0);
}

// What a getter returns for a stored value.
template <typename T>
const T& AsRead(const T& value) {
    return value;
}
quint32 AsReadCount(quint32 value) {
    return std::max<quint32>(value, 1);
}

const QString kMainRebarLayout = QStringLiteral("MainRebarLayout");

void Clamp(quint32& value, quint32 low, quint32 high) {
    value = std::clamp(value, low, high);
}

// Colours are 0x00BBGGRR; a text colour that is its background's would draw
// nothing that can be seen, so such a pair reads as the default pair.
void KeepVisible(quint32& text, quint32& back, quint32 defaultText, quint32 defaultBack) {
    text &= 0xFFFFFFu;
    back &= 0xFFFFFFu;
    if (text == back) {
        text = defaultText;
        back = defaultBack;
    }
}

}  // namespace

// A settings file written by hand or by another program can hold any
// number: each value is brought into the range the program itself offers,
// so that nothing is drawn at a size or in colours the user could not have
// chosen. The named types keep unknown numbers (OptionTypes.h).
void CProgramOptions::KeepInOfferedRanges() {
    const Record defaults;
    Record& r = *m_d;
    for (quint32* size : {&r.FontListCharSize, &r.PreviewFontSize, &r.FontMapSize}) {
        Clamp(*size, kSmallestTextSize, kLargestTextSize);
    }
    Clamp(r.PrintCharSize, kSmallestPrintSize, kLargestPrintSize);
    for (quint32* width : {&r.FontNameColumnWidth, &r.FileNameColumnWidth, &r.SizeColumnWidth}) {
        Clamp(*width, kSmallestColumnWidth, kLargestColumnWidth);
    }
    Clamp(r.FontListSortColumn, 0, 2);
    Clamp(r.FontDetailMode, 0, 2);
    Clamp(r.FontListDropOption, 0, 1);
    KeepVisible(r.PreviewFontColor, r.PreviewBackgroundColor, defaults.PreviewFontColor,
                defaults.PreviewBackgroundColor);
    KeepVisible(r.FontMapFontColor, r.FontMapBackgroundColor, defaults.FontMapFontColor,
                defaults.FontMapBackgroundColor);
}

CProgramOptions::CProgramOptions() : m_d(std::make_shared<Record>()) {}

bool CProgramOptions::Load() {
    CKey key;
    if (!key.Open()) {
        return false;
    }
#define X(kind, name, def) Read(key, QStringLiteral(#name), m_d->name);
#include "core/OptionsTable.inc"
#undef X
    KeepInOfferedRanges();
    return true;
}

bool CProgramOptions::Save() const {
    // The window's layout lies in the same file, outside the options, and
    // the window writes it itself. Where the file has one, it is written
    // back here as it reads now: QSettings does not see an entry under a
    // section it names otherwise ("[/3.0]", by hand or damage), but writes
    // it out again where the next start would see it, and a save of the
    // options must never change what the next start reads.
    const QByteArray layout = GetMainRebarLayout();
    CKey key;
    if (!key.Create()) {
        return false;
    }
#define X(kind, name, def) Write(key, QStringLiteral(#name), m_d->name);
#include "core/OptionsTable.inc"
#undef X
    if (key.MentionsAnywhere(kMainRebarLayout)) {
        key.WriteBinary(kMainRebarLayout, layout);
    }
    return key.Flush();
}

#define QM_READ_BOOL AsRead
#define QM_READ_DWORD AsRead
#define QM_READ_COUNT AsReadCount
#define QM_READ_STRING AsRead
#define QM_READ_METRICS AsRead
#define QM_READ_PAIR AsRead
#define QM_READ_RENDERING AsRead
#define QM_READ_STARTUP AsRead
#define QM_READ_SHOW AsRead
#define X(kind, name, def)                                         \
    QM_TYPE_##kind CProgramOptions::Get##name() const {            \
        return QM_READ_##kind(m_d->name);                          \
    }                                                              \
    void CProgramOptions::Set##name(const QM_TYPE_##kind& value) { \
        m_d->name = value;                                         \
    }
#include "core/OptionsTable.inc"
#undef X

qsizetype CProgramOptions::GetMainRebarLayoutSize() {
    CKey key;
    char none = 0;
    // The layout is only ever written as binary data: text there (a hand
    // edit) is no layout, and QSettings would write it back changed.
    return key.Open() && key.HoldsBinary(kMainRebarLayout)
               ? key.ReadBinary(kMainRebarLayout, &none, 0)
               : 0;
}

QByteArray CProgramOptions::GetMainRebarLayout() {
    CKey key;
    const qsizetype size = GetMainRebarLayoutSize();
    if (size <= 0 || !key.Open()) {
        return {};
    }
    QByteArray layout(size, Qt::Uninitialized);
    key.ReadBinary(kMainRebarLayout, layout.data(), layout.size());
    return layout;
}

bool CProgramOptions::SetMainRebarLayout(const QByteArray& layout) {
    CKey key;
    return key.Create() && key.WriteBinary(kMainRebarLayout, layout) && key.Flush();
}

}  // namespace Quillmark
