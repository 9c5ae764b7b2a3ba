#pragma once

// How a font file is made known to the desktop.

#include <cstdint>
#include <filesystem>

namespace Quillmark::Platform {

// Registration flags of a font item: shared with every application, or
// private to Quillmark (which draws fonts from their files and needs no
// registration of its own).
inline constexpr std::uint32_t kSharedFont = 0;
inline constexpr std::uint32_t kPrivateFont = 0x10;

class IFontSystem {
public:
    virtual ~IFontSystem() = default;

    // Whether fonts in `folder` are installed: it is the user's font folder
    // or lies in a folder that fontconfig scans. Installed fonts are never
    // registered or shared again.
    virtual bool IsInstalledFolder(const std::filesystem::path& folder) = 0;

    // Registers or unregisters a font with these flags. Shared fonts become
    // visible to other applications; private registration needs nothing.
    virtual void Register(const std::filesystem::path& file, std::uint32_t flags) = 0;
    virtual void Unregister(const std::filesystem::path& file, std::uint32_t flags) = 0;

    // Changes between Begin and the matching End reach other applications
    // together, at the end.
    virtual void BeginBatch() {}
    virtual void EndBatch() {}
};

// Opens a batch of a font system (which may be null) for its lifetime.
class CFontSystemBatch {
public:
    explicit CFontSystemBatch(IFontSystem* system) : m_system(system) {
        if (m_system != nullptr)
            m_system->BeginBatch();
    }
    ~CFontSystemBatch() {
        if (m_system != nullptr)
            m_system->EndBatch();
    }
    CFontSystemBatch(const CFontSystemBatch&) = delete;
    CFontSystemBatch& operator=(const CFontSystemBatch&) = delete;

private:
    IFontSystem* m_system;
};

}  // namespace Quillmark::Platform
