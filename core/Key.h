#pragma once

// The settings key of Quillmark, "Varnholt, Inc" / "Quillmark" / "3.0", in
// the desktop's settings store. Values keep the registry's kinds: DWORD as
// an unsigned number, SZ as text, BINARY as bytes, and are read with the
// registry's rules (see each reader).

#include <QByteArray>
#include <QString>
#include <memory>

class QSettings;

namespace Quillmark {

class CKey {
public:
    static constexpr const char* kOrganization = "Varnholt, Inc";
    static constexpr const char* kApplication = "Quillmark";
    static constexpr const char* kVersionGroup = "3.0";

    CKey();
    ~CKey();
    CKey(const CKey&) = delete;
    CKey& operator=(const CKey&) = delete;

    // Opens the key when it exists; never creates it.
    bool Open();
    // Opens the key, creating it when it does not exist.
    bool Create();
    bool IsOpen() const { return m_settings != nullptr; }

    // Takes at most 4 bytes: a number that does not fit in 32 bits, or binary
    // data longer than 4 bytes, is ignored; shorter binary data overwrites
    // only the low bytes. On failure `target` keeps its value.
    bool ReadDWORD(const QString& name, quint32& target);
    // True only for the DWORD 1.
    bool ReadBool(const QString& name, bool& target);
    // Binary data shorter than 2 bytes is ignored; text loads as it is (an
    // empty value loads as empty). Text stops at its first NUL. Returns the
    // stored size in bytes, 0 when nothing was read.
    qsizetype ReadString(const QString& name, QString& target);
    // Copies the stored bytes into `buffer` when they are not more than
    // `size`; returns the stored size (0 when there is none).
    qsizetype ReadBinary(const QString& name, void* buffer, qsizetype size);
    // Whether the value is stored as binary data (not as text or a number).
    bool HoldsBinary(const QString& name);
    // Whether the file holds a value of this name anywhere, even where the
    // key does not see it (under a section QSettings names otherwise, such
    // as "[/3.0]", which it writes out again under a name the key sees).
    bool MentionsAnywhere(const QString& name);

    // Whole text is stored as text; text with a lone surrogate (a file name
    // that is not UTF-8) as its UTF-16LE units, which ReadString takes back.
    bool WriteString(const QString& name, const QString& text);
    bool WriteDWORD(const QString& name, quint32 value);
    bool WriteBinary(const QString& name, const QByteArray& data);

    // Writes pending values to the store now. False when the file could
    // not be written whole (a full disk): the earlier file then stays as it
    // was.
    bool Flush();

    // The settings file of this store (for messages and tests).
    static QString FileName();

private:
    std::unique_ptr<QSettings> m_settings;
};

}  // namespace Quillmark
