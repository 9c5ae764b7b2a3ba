#pragma once

// The main window's back and forward history of locations, for this run.

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace Quillmark {

struct CLocation {
    enum Kind : int { Folder = 0, Project = 1 };
    Kind kind = Folder;
    QString name;  // a folder's path or a project's name
    bool operator==(const CLocation&) const = default;
};

class CHistoryList {
public:
    CHistoryList();

    // Drops every entry after the current one, appends, and makes it current.
    void AddLocation(CLocation::Kind kind, const QString& name);
    bool CanGoBack() const;
    bool CanGoForward() const;
    std::optional<CLocation> GoBack();
    std::optional<CLocation> GoForward();
    // Back, forgetting the entry left and all after it; with nothing to go
    // back to, forgets everything and returns nothing.
    std::optional<CLocation> GoBackAndForget();

    std::size_t Count() const;
    std::optional<CLocation> Current() const;

private:
    struct Record {
        std::vector<CLocation> entries;
        std::size_t current = 0;  // == entries.size() means "the end"
    };
    std::shared_ptr<Record> m_d;
};

}  // namespace Quillmark
