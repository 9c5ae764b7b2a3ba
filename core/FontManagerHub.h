#pragma once

// Forwards the font manager's calls to the signals hub, where the windows
// listen (ReleaseFont, FontDiscarded, FontRemoved). The hub lives on the
// user-interface thread: a font discarded on a worker (the last use given
// back by a folder load or a search) is told there later, by a queued call
// that keeps the item alive until it has been told.

#include <QObject>
#include <QThread>
#include <memory>

#include "core/QuillmarkSignals.h"
#include "fontdata/manager/FontManagerObserver.h"

namespace Quillmark {

class CFontManagerHub final : public IFontManagerObserver {
public:
    // Made on the thread of the hub.
    explicit CFontManagerHub(CQuillmarkSignals& hub) : m_hub(hub) {}

    int ReleaseFont(const CFontItem* item) override { return m_hub.FireReleaseFont(item); }

    void FontDiscarded(std::shared_ptr<const CFontItem> item) override {
        if (QThread::currentThread() == m_context.thread()) {
            m_hub.FireFontDiscarded(item.get());
            return;
        }
        // Dropped unheard if this adapter goes first: then nobody listens.
        QMetaObject::invokeMethod(
            &m_context, [hub = &m_hub, item] { hub->FireFontDiscarded(item.get()); },
            Qt::QueuedConnection);
    }

    void FontRemoved(const CFontItem* item) override { m_hub.FireFontRemoved(item); }

private:
    CQuillmarkSignals& m_hub;
    QObject m_context;  // where queued calls run: the thread that made the adapter
};

}  // namespace Quillmark
