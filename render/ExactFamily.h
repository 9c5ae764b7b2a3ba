#pragma once

// A font family that only one file carries, for the places that need a
// QFont by name (the rich text preview, printing). An in-memory copy of the
// file, its naming table replaced by one that names a family of its own, is
// registered with QFontDatabase: matching by that name can only pick this
// file, even when other files share the font's own name.
//
// Registrations are kept and reused; each removal makes Qt rebuild its font
// database at the next query (40-65 ms here), so they are removed in
// batches, the least recently used half at once, never one by one.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <list>

namespace Quillmark {

class CExactFamilies {
public:
    // Keeps at most `keep` registrations before a batch is removed.
    explicit CExactFamilies(int keep = 32);
    ~CExactFamilies();
    CExactFamilies(const CExactFamilies&) = delete;
    CExactFamilies& operator=(const CExactFamilies&) = delete;

    // The process's registrations, for the user-interface thread.
    static CExactFamilies& Instance();

    // The family only this face's copy carries (a web font decoded, a
    // collection's face taken out), registered now or before; empty when
    // the file cannot be read or registered.
    QString FamilyFor(const std::filesystem::path& path, std::uint32_t face = 0);

    int Count() const { return static_cast<int>(m_entries.size()); }
    // Removes every registration at once.
    void Clear();

    // A copy of the font with a naming table of Windows English names
    // only: family and full name `family`, subfamily "Regular", PostScript
    // name `family` without blanks. Empty when the bytes are not a
    // TrueType or OpenType font or its table directory is damaged.
    static QByteArray Renamed(const QByteArray& font, const QString& family);

private:
    struct Entry {
        std::filesystem::path path;
        std::uint32_t face = 0;
        qint64 size = 0;
        qint64 modified = 0;
        int id = -1;
        QString family;
    };
    void RemoveOldest(int count);

    const int m_keep;
    std::list<Entry> m_entries;  // most recently used first
    int m_next = 0;
};

}  // namespace Quillmark
