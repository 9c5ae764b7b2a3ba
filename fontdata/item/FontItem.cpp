#include "fontdata/item/FontItem.h"

#include <locale.h>
#include <algorithm>
#include <clocale>
#include <cwctype>

#include "fontdata/opentype/FontInfoRows.h"

namespace Quillmark {

namespace {

locale_t UnicodeLocale() {
    static const locale_t locale = [] {
        locale_t l = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l != static_cast<locale_t>(nullptr)
                   ? l
                   : ::newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

int CompareText(const std::u16string& a, const std::u16string& b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

std::u16string LowerCase(std::u16string_view text) {
    std::u16string out(text);
    const locale_t locale = UnicodeLocale();
    for (char16_t& c : out) {
        if (c < 0xD800 || c > 0xDFFF) {
            c = static_cast<char16_t>(::towlower_l(static_cast<wint_t>(c), locale));
        }
    }
    return out;
}

CFontItem::CFontItem(const std::filesystem::path& path, const CFontItemSettings& settings,
                     Platform::IFontSystem* system, std::uint32_t face)
    : m_path(path.native()),
      m_fileName(path.filename()),
      m_system(system),
      m_face(face),
      m_stamp(Platform::CFileStamp::Of(path)) {
    ++s_alive;
    auto data = std::make_shared<Varnholt::COpenTypeData>();
    m_status = data->LoadFile(path, m_fileSize, face);
    // A collection whose header could not be read still lists as one row.
    m_faceCount = std::max<std::uint32_t>(data->GetFaceCount(), 1);
    m_data = std::move(data);
    m_sizeText = std::to_string(m_fileSize / 1024) + "k";
    if (m_status == Loaded) {
        if (const auto* full = m_data->GetName(4)) {
            m_name = *full;
        } else if (const auto* family = m_data->GetName(1)) {
            m_name = *family;
        } else {
            m_status = Corrupt;
        }
    }
    if (m_status != Loaded) {
        return;
    }
    std::lock_guard lock(m_mutex);
    // Only sharing needs the desktop; asking whether the font is installed
    // is put off until then.
    if (!settings.autoInstall || !IsInstalled()) {
        RegisterAs(settings.autoInstall ? Platform::kSharedFont : Platform::kPrivateFont);
    }
}

CFontItem::~CFontItem() {
    --s_alive;
    if (m_registered && m_resourceFlags == Platform::kSharedFont && m_system != nullptr) {
        m_system->Unregister(m_path, m_resourceFlags);
    }
}

// Private registration needs nothing of the desktop: the program draws every
// font from its own file. Only shared fonts are handed to the font system.
void CFontItem::RegisterAs(std::uint32_t flags) {
    if (m_registered && m_resourceFlags == Platform::kSharedFont && m_system != nullptr) {
        m_system->Unregister(m_path, m_resourceFlags);
    }
    m_resourceFlags = flags;
    m_registered = true;
    if (flags == Platform::kSharedFont && m_system != nullptr) {
        m_system->Register(m_path, flags);
    }
}

std::u16string CFontItem::GetDisplayName() const {
    if (m_status == Loaded) {
        return m_name;
    }
    return Varnholt::FromUtf8(Varnholt::StatusMessage(m_status));
}

std::string CFontItem::GetFaceSuffix() const {
    return m_faceCount > 1 || m_face > 0 ? " (" + std::to_string(m_face) + ")" : std::string();
}

bool CFontItem::IsUnder(const std::string& folder) const {
    if (folder.empty() || m_path.size() <= folder.size() ||
        m_path.compare(0, folder.size(), folder) != 0) {
        return false;
    }
    return folder.back() == '/' || m_path[folder.size()] == '/';
}

bool CFontItem::IsInstalled() const {
    int state = m_installed.load();
    if (state < 0) {
        state = m_system != nullptr && m_system->IsInstalledFolder(GetPath().parent_path()) ? 1 : 0;
        int unknown = -1;
        m_installed.compare_exchange_strong(unknown, state);
        state = m_installed.load();
    }
    return state == 1;
}

std::uint32_t CFontItem::GetResourceFlags() const {
    std::lock_guard lock(m_mutex);
    return m_resourceFlags;
}

bool CFontItem::IsTemporarilyPrivate() const {
    std::lock_guard lock(m_mutex);
    return m_temporarilyPrivate;
}

std::u16string CFontItem::GetFaceName() const {
    // Made when asked rather than kept: it is the name's beginning.
    return m_status == Loaded ? m_name.substr(0, kMaxFaceName) : std::u16string();
}

void CFontItem::SetShared(bool share) {
    if (m_status != Loaded || IsInstalled()) {
        return;
    }
    // The desktop hears of the change when the batch ends, after the lock.
    Platform::CFontSystemBatch batch(m_system);
    std::lock_guard lock(m_mutex);
    const std::uint32_t wanted = share ? Platform::kSharedFont : Platform::kPrivateFont;
    if (m_registered && m_resourceFlags == wanted) {
        return;
    }
    RegisterAs(wanted);
}

void CFontItem::MakeTemporarilyPrivate() {
    if (GetResourceFlags() == Platform::kSharedFont && m_status == Loaded && !IsInstalled()) {
        SetShared(false);
        std::lock_guard lock(m_mutex);
        m_temporarilyPrivate = true;
    }
}

void CFontItem::RestoreSharing() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_temporarilyPrivate) {
            return;
        }
        m_temporarilyPrivate = false;
    }
    SetShared(true);
}

void CFontItem::SetSimilarity(const std::u16string& referencePath, int distance) {
    std::lock_guard lock(m_mutex);
    m_similarity.emplace(referencePath, distance);
}

int CFontItem::GetSimilarity(const std::u16string& referencePath) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_similarity.find(referencePath);
    return it == m_similarity.end() ? 0 : it->second;
}

const std::u16string& CFontItem::GetSortKey() const {
    std::call_once(m_sortKeyOnce, [this] { m_sortKey = LowerCase(m_name); });
    return m_sortKey;
}

int CFontItem::CompareByName(const CFontItem* first, const CFontItem* second) {
    return CompareText(second->GetSortKey(), first->GetSortKey());
}

std::u16string CFontItem::FileNameSortKey(const CFontItem* item) {
    return LowerCase(Varnholt::FromUtf8(item->m_fileName.string()));
}

int CFontItem::CompareByFileName(const CFontItem* first, const CFontItem* second) {
    const int byName = CompareText(FileNameSortKey(second), FileNameSortKey(first));
    if (byName != 0 || first->m_face == second->m_face) {
        return byName;
    }
    return first->m_face < second->m_face ? 1 : -1;
}

int CFontItem::CompareBySize(const CFontItem* first, const CFontItem* second) {
    return first->m_fileSize < second->m_fileSize ? 1 : -1;
}

std::shared_ptr<const Varnholt::OpenTypeFontData::CFontDesign> CFontItem::GetDesign() const {
    std::call_once(m_designRead, [this] {
        auto design = std::make_shared<Varnholt::OpenTypeFontData::CFontDesign>();
        if (m_status == Loaded) {
            Varnholt::OpenTypeFontData::ReadFontDesign(GetPath(), m_face, *design);
        }
        m_design = std::move(design);
    });
    return m_design;
}

std::vector<std::u16string> CFontItem::GetInstanceNames() const {
    std::vector<std::u16string> names;
    if (!IsVariable()) {
        return names;
    }
    // The typographic family when the font has one, else its family.
    const std::u16string_view* family = m_data->GetName(16);
    if (family == nullptr) {
        family = m_data->GetName(1);
    }
    const std::u16string prefix = family != nullptr ? std::u16string(*family) + u" " : u"";
    for (const auto& instance : GetDesign()->instances) {
        if (!instance.name.empty()) {
            names.push_back(prefix + instance.name);
        }
    }
    return names;
}

}  // namespace Quillmark
