#pragma once

// Forwards the font manager's calls to the signals hub, where the windows
// listen (ReleaseFont, FontDiscarded, FontRemoved).

#include "core/QuillmarkSignals.h"
#include "fontdata/manager/FontManagerObserver.h"

namespace Quillmark {

class CFontManagerHub final : public IFontManagerObserver {
public:
    explicit CFontManagerHub(CQuillmarkSignals& hub) : m_hub(hub) {}

    int ReleaseFont(const CFontItem* item) override { return m_hub.FireReleaseFont(item); }
    void FontDiscarded(const CFontItem* item) override { m_hub.FireFontDiscarded(item); }
    void FontRemoved(const CFontItem* item) override { m_hub.FireFontRemoved(item); }

private:
    CQuillmarkSignals& m_hub;
};

}  // namespace Quillmark
