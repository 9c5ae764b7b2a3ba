#include "collections/HistoryList.h"

namespace Quillmark {

CHistoryList::CHistoryList() : m_d(std::make_shared<Record>()) {}

void CHistoryList::AddLocation(CLocation::Kind kind, const QString& name) {
    auto& d = *m_d;
    if (d.current + 1 < d.entries.size()) {
        d.entries.erase(d.entries.begin() + static_cast<std::ptrdiff_t>(d.current) + 1,
                        d.entries.end());
    }
    d.entries.push_back({kind, name});
    d.current = d.entries.size() - 1;
}

bool CHistoryList::CanGoBack() const {
    return !m_d->entries.empty() && m_d->current != 0 && m_d->current != m_d->entries.size();
}

bool CHistoryList::CanGoForward() const {
    return !m_d->entries.empty() && m_d->current + 1 < m_d->entries.size();
}

std::optional<CLocation> CHistoryList::GoBack() {
    if (!CanGoBack()) {
        return std::nullopt;
    }
    return m_d->entries[--m_d->current];
}

std::optional<CLocation> CHistoryList::GoForward() {
    if (!CanGoForward()) {
        return std::nullopt;
    }
    return m_d->entries[++m_d->current];
}

std::optional<CLocation> CHistoryList::GoBackAndForget() {
    auto& d = *m_d;
    if (!CanGoBack()) {
        d.entries.clear();
        d.current = 0;
        return std::nullopt;
    }
    --d.current;
    d.entries.erase(d.entries.begin() + static_cast<std::ptrdiff_t>(d.current) + 1,
                    d.entries.end());
    return d.entries[d.current];
}

std::size_t CHistoryList::Count() const {
    return m_d->entries.size();
}

std::optional<CLocation> CHistoryList::Current() const {
    if (m_d->current >= m_d->entries.size()) {
        return std::nullopt;
    }
    return m_d->entries[m_d->current];
}

}  // namespace Quillmark
