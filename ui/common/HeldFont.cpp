#include "ui/common/HeldFont.h"

#include "core/QuillmarkSignals.h"

namespace Quillmark {

CHeldFont::CHeldFont(CQuillmarkSignals& hub, CFontManager& manager, std::function<void()> gone)
    : m_manager(manager), m_gone(std::move(gone)) {
    // Scoped: the slots go with this object, whoever owns it.
    m_release =
        hub.ConnectReleaseFont([this](const CFontItem* font) { return LetGo(font) ? 1 : 0; });
    m_removed = hub.ConnectFontRemoved([this](const CFontItem* font) { LetGo(font); });
}

bool CHeldFont::Hold(const CFontItem* font) {
    // The new use is taken before the old one goes: holding the same font
    // again never lets it drop to no use.
    m_font = font != nullptr ? m_manager.Hold(font) : nullptr;
    return m_font != nullptr;
}

void CHeldFont::Hold(CFontHandle font) {
    m_font = std::move(font);
}

void CHeldFont::Reset() {
    m_font.reset();
}

bool CHeldFont::LetGo(const CFontItem* font) {
    if (!Holds(font)) {
        return false;
    }
    // Given back before the holder hears of it: the holder finds no font.
    m_font.reset();
    if (m_gone) {
        m_gone();
    }
    return true;
}

}  // namespace Quillmark
