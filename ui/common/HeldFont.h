#pragma once

// One font held by a window: one use of it at the font manager, and the
// hub's two requests to let it go. When the manager asks for the font back
// (ReleaseFont) or its file went (FontRemoved), the use goes back and the
// holder is told, so that it stops showing the font. The hub connections
// end with the holder: a destroyed holder is never called.

#include <boost/signals2/connection.hpp>
#include <functional>

#include "fontdata/manager/FontManager.h"

namespace Quillmark {

class CQuillmarkSignals;

class CHeldFont {
public:
    // `gone` runs once the use went back at the hub's request, never when
    // the holder lets go itself.
    CHeldFont(CQuillmarkSignals& hub, CFontManager& manager, std::function<void()> gone = {});
    CHeldFont(const CHeldFont&) = delete;
    CHeldFont& operator=(const CHeldFont&) = delete;

    // Holds `font` in place of the font held; none for null or a font the
    // manager does not hold. Returns whether a font is held now.
    bool Hold(const CFontItem* font);
    // Takes over a use the caller already has.
    void Hold(CFontHandle font);
    // Lets go of the font, without telling.
    void Reset();
    void SetGone(std::function<void()> gone) { m_gone = std::move(gone); }

    CFontItem* Get() const { return m_font.get(); }
    CFontItem* operator->() const { return m_font.get(); }
    const CFontHandle& Handle() const { return m_font; }
    explicit operator bool() const { return m_font != nullptr; }
    bool Holds(const CFontItem* font) const { return font != nullptr && font == m_font.get(); }

private:
    bool LetGo(const CFontItem* font);

    CFontManager& m_manager;
    CFontHandle m_font;
    std::function<void()> m_gone;
    boost::signals2::scoped_connection m_release;
    boost::signals2::scoped_connection m_removed;
};

}  // namespace Quillmark
