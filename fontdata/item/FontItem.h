#pragma once

// One font as the program knows it: a face of a font file (the file's only
// face, or one face of a collection), where it is, the file's size, whether
// it could be read, its parsed data and how it is registered with the
// desktop. Items are created by the font manager, which shares one item
// among every window that shows the same face. Creating an item reads the file; nothing
// is loaded later, and nothing about it changes after but its sharing, its
// marks and the distances Find similar writes. How a font is drawn (its
// preview line's height and quality) is the drawer's, not the item's.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "fontdata/design/FontDesign.h"
#include "fontdata/opentype/OpenTypeData.h"
#include "platform/FileStamp.h"
#include "platform/FontSystem.h"

namespace Quillmark {

// The options an item is made with.
struct CFontItemSettings {
    bool autoInstall = false;  // new fonts are shared with every application
};

class CFontItem {
public:
    using enum Varnholt::FontStatus;
    static constexpr std::size_t kMaxFaceName = 31;

    // Reads face `face` of the file. Never throws for a bad font file: see
    // GetStatus(). `system` (may be null) registers readable fonts that are
    // not installed.
    CFontItem(const std::filesystem::path& path, const CFontItemSettings& settings,
              Platform::IFontSystem* system, std::uint32_t face = 0);
    ~CFontItem();
    CFontItem(const CFontItem&) = delete;
    CFontItem& operator=(const CFontItem&) = delete;

    // How many items exist now, held by the manager or not: an item that
    // outlives its place in the manager is held by someone who was told to
    // let it go (the soak compares the two counts).
    static std::size_t Alive() { return s_alive.load(); }

    std::shared_ptr<const Varnholt::COpenTypeData> GetData() const { return m_data; }
    Varnholt::FontStatus GetStatus() const { return m_status; }
    // Made from the path's text on each call: a std::filesystem::path keeps
    // a list of its components beside its text, which tens of thousands of
    // items would hold for nothing.
    std::filesystem::path GetPath() const { return m_path; }
    // The path's text, as long as the item lives.
    const std::string& GetPathText() const { return m_path; }
    const std::filesystem::path& GetFileName() const { return m_fileName; }
    // Which face of its file the font is (0 for a file of one face), and how
    // many faces the file holds (1 for a file of one face, readable or not).
    std::uint32_t GetFace() const { return m_face; }
    std::uint32_t GetFaceCount() const { return m_faceCount; }
    // What follows the file name where the face must be told apart from the
    // file's other faces: " (3)" for face 3 of a collection, else nothing.
    std::string GetFaceSuffix() const;
    const std::string& GetSizeText() const { return m_sizeText; }
    std::uint32_t GetFileSize() const { return m_fileSize; }
    // The file's stamp, taken just before it was read: a file whose stamp
    // differs now was changed since, and the item shows what it held then.
    const Platform::CFileStamp& GetStamp() const { return m_stamp; }
    // The name a font is asked for by: its name's first 31 units, the
    // desktop's limit; empty for a font that could not be read.
    std::u16string GetFaceName() const;
    // The font's name: its full name (name ID 4) or, when it has none, its
    // family name (ID 1); empty for a font that could not be read.
    const std::u16string& GetName() const { return m_name; }
    // The name shown for the font: its name when readable, else the
    // status message.
    std::u16string GetDisplayName() const;

    // Whether the face is a variable font (one row, its design axes set in
    // the detail pane).
    bool IsVariable() const { return m_data != nullptr && m_data->IsVariable(); }
    // The face's design (axes, named instances, layout features, scripts),
    // read from the file when first asked for and then kept; empty for a
    // font that could not be read. Any thread may ask.
    std::shared_ptr<const Varnholt::OpenTypeFontData::CFontDesign> GetDesign() const;
    // The names of a variable font's named instances as fonts are named:
    // its family and the instance ("Inter Bold"); none for a static font.
    std::vector<std::u16string> GetInstanceNames() const;

    bool IsPath(const std::filesystem::path& path) const { return m_path == path.native(); }
    bool IsFace(const std::filesystem::path& path, std::uint32_t face) const {
        return m_face == face && IsPath(path);
    }
    // Whether the file lies in `folder` or below it: "/a/Fonts" holds
    // "/a/Fonts/x.ttf" but not "/a/Fonts 2/x.ttf".
    bool IsUnder(const std::string& folder) const;

    int AddUser() { return ++m_useCount; }
    int RemoveUser() { return --m_useCount; }
    int GetUseCount() const { return m_useCount.load(); }

    bool IsInstalled() const;
    std::uint32_t GetResourceFlags() const;
    bool IsTemporarilyPrivate() const;

    // Shares the font with other applications (true) or makes it private.
    // Nothing happens for an installed font, a font already registered as
    // asked, or a font that could not be read (it is never registered).
    void SetShared(bool share);
    void MakeTemporarilyPrivate();
    void RestoreSharing();
    void MarkInstalled() { m_installed = 1; }

    // PANOSE distances to reference fonts: the first value for a reference stays.
    void SetSimilarity(const std::u16string& referencePath, int distance);
    int GetSimilarity(const std::u16string& referencePath) const;

    // Orderings for sorting. Each compares the second item's key with the
    // first's: positive when the first comes first in ascending order.
    static int CompareByName(const CFontItem* first, const CFontItem* second);
    static int CompareByFileName(const CFontItem* first, const CFontItem* second);
    // 1 when the first is smaller, else -1: never equal.
    static int CompareBySize(const CFontItem* first, const CFontItem* second);

    // The lower-case form used by the name ordering.
    const std::u16string& GetSortKey() const;
    // The key of the file name ordering: the file name in lower case (the
    // faces of one file in face order).
    static std::u16string FileNameSortKey(const CFontItem* item);

private:
    void RegisterAs(std::uint32_t flags);  // m_mutex held

    const std::string m_path;
    const std::filesystem::path m_fileName;
    Platform::IFontSystem* const m_system;
    std::shared_ptr<const Varnholt::COpenTypeData> m_data;
    mutable std::once_flag m_designRead;
    mutable std::shared_ptr<const Varnholt::OpenTypeFontData::CFontDesign> m_design;
    std::uint32_t m_fileSize = 0;
    std::uint32_t m_face = 0;
    std::uint32_t m_faceCount = 1;
    Platform::CFileStamp m_stamp;
    std::string m_sizeText;
    Varnholt::FontStatus m_status{};  // 0 until the constructor has read the file
    std::u16string m_name;
    std::atomic<int> m_useCount{1};
    mutable std::atomic<int> m_installed{-1};  // -1 not yet asked, then 0 or 1

    mutable std::mutex m_mutex;
    // Guarded by m_mutex:
    std::uint32_t m_resourceFlags = Platform::kSharedFont;
    bool m_registered = false;
    bool m_temporarilyPrivate = false;
    std::map<std::u16string, int> m_similarity;

    mutable std::once_flag m_sortKeyOnce;
    mutable std::u16string m_sortKey;

    static inline std::atomic<std::size_t> s_alive{0};
};

// Lower case as the name and file name orderings use it.
std::u16string LowerCase(std::u16string_view text);

}  // namespace Quillmark
