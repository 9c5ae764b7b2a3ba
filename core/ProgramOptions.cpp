#include "core/ProgramOptions.h"

#include <QByteArray>
#include <QtEndian>

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

void Read(CKey& key, const QString& name, bool& value) {
    key.ReadBool(name, value);
}
void Read(CKey& key, const QString& name, quint32& value) {
    key.ReadDWORD(name, value);
}
void Read(CKey& key, const QString& name, QString& value) {
    key.ReadString(name, value);
}
void Read(CKey& key, const QString& name, CMetrics7& value) {
    ReadRecord(key, name, value);
}
void Read(CKey& key, const QString& name, CPair& value) {
    ReadRecord(key, name, value);
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
void Write(CKey& key, const QString& name, const CMetrics7& value) {
    key.WriteBinary(name, ToBinary(value));
}
void Write(CKey& key, const QString& name, const CPair& value) {
    key.WriteBinary(name, ToBinary(value));
}

const QString kMainRebarLayout = QStringLiteral("MainRebarLayout");

}  // namespace

CProgramOptions::CProgramOptions() : m_d(std::make_shared<Record>()) {}

void CProgramOptions::Load() {
    CKey key;
    if (!key.Open()) {
        return;
    }
#define X(kind, name, def) Read(key, QStringLiteral(#name), m_d->name);
#include "core/OptionsTable.inc"
#undef X
}

bool CProgramOptions::Save() const {
    CKey key;
    if (!key.Create()) {
        return false;
    }
#define X(kind, name, def) Write(key, QStringLiteral(#name), m_d->name);
#include "core/OptionsTable.inc"
#undef X
    return key.Flush();
}

#define X(kind, name, def)                                         \
    QM_TYPE_##kind CProgramOptions::Get##name() const {            \
        return m_d->name;                                          \
    }                                                              \
    void CProgramOptions::Set##name(const QM_TYPE_##kind& value) { \
        m_d->name = value;                                         \
    }
#include "core/OptionsTable.inc"
#undef X

QPoint CProgramOptions::GetWindowPosition() const {
    return {m_d->WindowMetrics[0], m_d->WindowMetrics[1]};
}

QSize CProgramOptions::GetWindowSize() const {
    return {m_d->WindowMetrics[2], m_d->WindowMetrics[3]};
}

void CProgramOptions::SetWindowPosition(QPoint position) {
    m_d->WindowMetrics[0] = position.x();
    m_d->WindowMetrics[1] = position.y();
}

void CProgramOptions::SetWindowSize(QSize size) {
    m_d->WindowMetrics[2] = size.width();
    m_d->WindowMetrics[3] = size.height();
}

qint32 CProgramOptions::GetWindowMetricsField(int index) const {
    return m_d->WindowMetrics.at(static_cast<std::size_t>(index));
}

void CProgramOptions::SetWindowMetricsField(int index, qint32 value) {
    m_d->WindowMetrics.at(static_cast<std::size_t>(index)) = value;
}

void CProgramOptions::SaveRestoredMetrics() {
    m_d->RestoredMetrics = m_d->WindowMetrics;
}

qsizetype CProgramOptions::GetMainRebarLayoutSize() {
    CKey key;
    char none = 0;
    return key.Open() ? key.ReadBinary(kMainRebarLayout, &none, 0) : 0;
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
