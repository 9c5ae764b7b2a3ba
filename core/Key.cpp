#include "core/Key.h"

#include <QSettings>
#include <QVariant>
#include <QtEndian>
#include <algorithm>
#include <cstring>

namespace Quillmark {

namespace {

std::unique_ptr<QSettings> Store() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QString::fromLatin1(CKey::kOrganization),
                                       QString::fromLatin1(CKey::kApplication));
}

QString CutAtNul(const QString& text) {
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

}  // namespace

CKey::CKey() = default;
CKey::~CKey() = default;

bool CKey::Open() {
    auto settings = Store();
    if (!settings->childGroups().contains(QString::fromLatin1(kVersionGroup))) {
        m_settings.reset();
        return false;
    }
    settings->beginGroup(QString::fromLatin1(kVersionGroup));
    m_settings = std::move(settings);
    return true;
}

bool CKey::Create() {
    m_settings = Store();
    m_settings->beginGroup(QString::fromLatin1(kVersionGroup));
    return true;
}

bool CKey::ReadDWORD(const QString& name, quint32& target) {
    if (!IsOpen()) {
        return false;
    }
    const QVariant value = m_settings->value(name);
    if (!value.isValid()) {
        return false;
    }
    if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        if (bytes.size() > 4) {
            return false;
        }
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            const quint32 shift = 8u * static_cast<quint32>(i);
            target =
                (target & ~(0xFFu << shift)) | (quint32(static_cast<quint8>(bytes[i])) << shift);
        }
        return true;
    }
    bool ok = false;
    const QString text = value.toString().trimmed();
    const qulonglong number = text.toULongLong(&ok, 0);
    if (ok && number <= 0xFFFFFFFFull) {
        target = static_cast<quint32>(number);
        return true;
    }
    const qlonglong negative = text.toLongLong(&ok, 0);
    if (ok && negative < 0 && negative >= -0x80000000ll) {
        target = static_cast<quint32>(negative);
        return true;
    }
    return false;
}

bool CKey::ReadBool(const QString& name, bool& target) {
    quint32 value = target ? 1 : 0;
    if (!ReadDWORD(name, value)) {
        return false;
    }
    target = value == 1;
    return true;
}

qsizetype CKey::ReadString(const QString& name, QString& target) {
    if (!IsOpen()) {
        return 0;
    }
    const QVariant value = m_settings->value(name);
    if (!value.isValid()) {
        return 0;
    }
    if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        if (bytes.size() < 2) {
            return 0;
        }
        QString text(bytes.size() / 2, Qt::Uninitialized);
        std::memcpy(text.data(), bytes.constData(), static_cast<std::size_t>(text.size()) * 2);
        for (QChar& c : text) {
            c = QChar(qFromLittleEndian<quint16>(&c));
        }
        target = CutAtNul(text);
        return bytes.size();
    }
    const QString text = value.toString();
    target = CutAtNul(text);
    return (text.size() + 1) * 2;
}

qsizetype CKey::ReadBinary(const QString& name, void* buffer, qsizetype size) {
    if (!IsOpen()) {
        return 0;
    }
    const QVariant value = m_settings->value(name);
    if (!value.isValid()) {
        return 0;
    }
    const QByteArray bytes = value.toByteArray();
    if (bytes.size() <= size && !bytes.isEmpty()) {
        std::memcpy(buffer, bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return bytes.size();
}

bool CKey::HoldsBinary(const QString& name) {
    return IsOpen() && m_settings->value(name).typeId() == QMetaType::QByteArray;
}

bool CKey::MentionsAnywhere(const QString& name) {
    if (!IsOpen()) {
        return false;
    }
    const QString group = m_settings->group();
    m_settings->endGroup();
    const QStringList keys = m_settings->allKeys();
    m_settings->beginGroup(group);
    return std::any_of(keys.begin(), keys.end(), [&](const QString& key) {
        return key == name || key.endsWith(QLatin1Char('/') + name);
    });
}

bool CKey::WriteString(const QString& name, const QString& text) {
    if (!IsOpen()) {
        return false;
    }
    if (text.isValidUtf16()) {
        m_settings->setValue(name, text);
        return true;
    }
    // Text with a lone surrogate (a file name byte that is not UTF-8) has no
    // UTF-8 form: the file would hold U+FFFD and name another folder. Such
    // text is stored as its UTF-16LE units with a closing NUL, which
    // ReadString reads back unit for unit.
    QByteArray units((text.size() + 1) * 2, '\0');
    for (qsizetype i = 0; i < text.size(); ++i) {
        qToLittleEndian<quint16>(text[i].unicode(), units.data() + 2 * i);
    }
    m_settings->setValue(name, units);
    return true;
}

bool CKey::WriteDWORD(const QString& name, quint32 value) {
    if (!IsOpen()) {
        return false;
    }
    m_settings->setValue(name, value);
    return true;
}

bool CKey::WriteBinary(const QString& name, const QByteArray& data) {
    if (!IsOpen()) {
        return false;
    }
    m_settings->setValue(name, data);
    return true;
}

bool CKey::Flush() {
    if (!IsOpen()) {
        return false;
    }
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString CKey::FileName() {
    return Store()->fileName();
}

}  // namespace Quillmark
