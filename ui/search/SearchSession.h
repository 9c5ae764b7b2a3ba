#pragma once

// A search window's running search on the user-interface thread: it starts
// the engine's worker, and hands what the worker tells to the window by
// queued calls, found fonts gathered into batches, so that a search that
// finds thousands of fonts at once never floods the event loop.
//
// Destroying a session stops its worker and waits for it: the worker never
// calls into a window that is gone, and calls still queued are dropped
// with the session. A found font that the font manager let go of before it
// was handed over (its file went meanwhile) is dropped, as the windows
// dropped it when they were told.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "search/Search.h"
#include "ui/search/SearchResultsModel.h"

namespace Quillmark {

class CSearchSession : public QObject {
    Q_OBJECT

public:
    struct CHandlers {
        std::function<void(const QString& folder)> searchingFolder;
        std::function<void(std::vector<CSearchResultsModel::CResult> fonts)> fontsFound;
        std::function<void(const CSearchEnd& end)> complete;
    };

    CSearchSession(CFontManager& manager, CHandlers handlers, QObject* parent = nullptr);
    ~CSearchSession() override;

    // Starts a search; nothing while one runs.
    void Start(CSearchLocation location, FontTest test);
    // The worker stops at its next step; `complete` still comes.
    void Stop();
    // From Start until `complete` has been handled.
    bool IsSearching() const { return m_search != nullptr; }

    // Tests pace the worker with it (see CSearch::SetOpener).
    void SetOpener(std::function<CFontHandle(const std::filesystem::path&)> opener) {
        m_opener = std::move(opener);
    }

    // Found fonts handed over in one turn of the event loop, at most.
    static constexpr std::size_t kShare = 256;
    // The worker's niceness: the window showing the results goes first.
    static constexpr int kNiceness = 10;

private:
    class CReceiver;
    void Drain();
    void Finish(const CSearchEnd& end);

    CFontManager& m_manager;
    const CHandlers m_handlers;
    std::function<CFontHandle(const std::filesystem::path&)> m_opener;
    std::unique_ptr<CReceiver> m_receiver;  // outlives the search that calls it
    std::unique_ptr<CSearch> m_search;

    std::mutex m_mutex;
    // Guarded by m_mutex:
    std::vector<CSearchResultsModel::CResult> m_pending;  // found, not yet handed over
    QString m_folder;                                     // the last folder reported
    bool m_drainPosted = false;
    bool m_folderPosted = false;
};

}  // namespace Quillmark
