#include "ui/search/SearchSession.h"

#include <algorithm>
#include <iterator>

#include "core/PathText.h"

namespace Quillmark {

// The engine's receiver: runs on the worker and only queues.
class CSearchSession::CReceiver final : public ISearchReceiver {
public:
    explicit CReceiver(CSearchSession& session) : m_session(session) {}

    void SearchingFolder(const std::filesystem::path& folder) override {
        bool post = false;
        {
            std::lock_guard lock(m_session.m_mutex);
            m_session.m_folder = ShownPath(folder);
            post = !std::exchange(m_session.m_folderPosted, true);
        }
        if (post) {
            QMetaObject::invokeMethod(
                &m_session,
                [session = &m_session] {
                    QString latest;
                    {
                        std::lock_guard lock(session->m_mutex);
                        latest = session->m_folder;
                        session->m_folderPosted = false;
                    }
                    if (session->m_handlers.searchingFolder) {
                        session->m_handlers.searchingFolder(latest);
                    }
                },
                Qt::QueuedConnection);
        }
    }

    void FontFound(CFontHandle font, int value) override {
        bool post = false;
        {
            std::lock_guard lock(m_session.m_mutex);
            m_session.m_pending.push_back({std::move(font), value});
            post = !std::exchange(m_session.m_drainPosted, true);
        }
        if (post) {
            QMetaObject::invokeMethod(
                &m_session, [session = &m_session] { session->Drain(); }, Qt::QueuedConnection);
        }
    }

    void SearchComplete(const CSearchEnd& end) override {
        QMetaObject::invokeMethod(
            &m_session, [session = &m_session, end] { session->Finish(end); },
            Qt::QueuedConnection);
    }

private:
    CSearchSession& m_session;
};

CSearchSession::CSearchSession(CFontManager& manager, CHandlers handlers, QObject* parent)
    : QObject(parent),
      m_manager(manager),
      m_handlers(std::move(handlers)),
      m_receiver(std::make_unique<CReceiver>(*this)) {}

CSearchSession::~CSearchSession() {
    m_search.reset();  // stops and waits for the worker
}

void CSearchSession::Start(CSearchLocation location, FontTest test) {
    if (m_search != nullptr) {
        return;
    }
    m_search =
        std::make_unique<CSearch>(m_manager, std::move(location), std::move(test), *m_receiver);
    if (m_opener) {
        m_search->SetOpener(m_opener);
    }
    m_search->SetNiceness(kNiceness);
    m_search->Start();
}

void CSearchSession::Stop() {
    if (m_search != nullptr) {
        m_search->Stop();
    }
}

void CSearchSession::Drain() {
    std::vector<CSearchResultsModel::CResult> fonts;
    bool more = false;
    {
        std::lock_guard lock(m_mutex);
        // A bounded share each turn of the event loop, so that painting and
        // input go on between shares however fast the worker finds fonts.
        const std::size_t share = std::min(m_pending.size(), kShare);
        fonts.assign(
            std::make_move_iterator(m_pending.begin()),
            std::make_move_iterator(m_pending.begin() + static_cast<std::ptrdiff_t>(share)));
        m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(share));
        more = !m_pending.empty();
        m_drainPosted = more;
    }
    if (more) {
        QMetaObject::invokeMethod(
            this, [this] { Drain(); }, Qt::QueuedConnection);
    }
    // A font the manager let go of while it waited here had its file go
    // (deleted, or written over and read again): the windows were told to
    // drop it before it arrived, so it is not listed now.
    std::erase_if(fonts, [this](const CSearchResultsModel::CResult& result) {
        return result.font != nullptr && !m_manager.Contains(result.font.get());
    });
    if (!fonts.empty() && m_handlers.fontsFound) {
        m_handlers.fontsFound(std::move(fonts));
    }
}

void CSearchSession::Finish(const CSearchEnd& end) {
    bool pending = true;
    {
        std::lock_guard lock(m_mutex);
        pending = !m_pending.empty();
    }
    if (pending) {
        // The last shares first: the end comes after them.
        QMetaObject::invokeMethod(
            this, [this, end] { Finish(end); }, Qt::QueuedConnection);
        return;
    }
    if (m_search != nullptr) {
        m_search->Wait();  // it has told its end: it ends now
        m_search.reset();
    }
    if (m_handlers.complete) {
        m_handlers.complete(end);
    }
}

}  // namespace Quillmark
