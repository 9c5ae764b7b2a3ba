#include "tests/soak/SoakChecks.h"

#include <QModelIndex>
#include <QString>
#include <algorithm>
#include <set>
#include <sstream>

#include "fontdata/item/FontItem.h"
#include "fontdata/manager/FontManager.h"
#include "platform/FileStamp.h"
#include "platform/Files.h"
#include "ui/common/FontListRoles.h"
#include "ui/common/FontRows.h"

namespace QuillmarkSoak {

namespace fs = std::filesystem;
using Quillmark::CFontItem;

namespace {

std::string Utf8(const std::u16string& text) {
    return QString::fromStdU16String(text).toStdString();
}

// Lists at most a few names of a long list.
std::string Some(const std::vector<std::string>& names) {
    std::ostringstream out;
    for (std::size_t i = 0; i < names.size() && i < 8; ++i) {
        out << (i == 0 ? "" : ", ") << names[i];
    }
    if (names.size() > 8) {
        out << " and " << names.size() - 8 << " more";
    }
    return out.str();
}

class CFailures {
public:
    explicit CFailures(std::vector<std::string>& out) : m_out(out) {}
    // One failure for a whole group of names.
    void Group(const std::string& what, const std::vector<std::string>& names) {
        if (!names.empty()) {
            m_out.push_back(std::to_string(names.size()) + " " + what + ": " + Some(names));
        }
    }
    void Add(const std::string& text) { m_out.push_back(text); }

private:
    std::vector<std::string>& m_out;
};

}  // namespace

CEndReport CheckEnd(const Quillmark::CFontRows& list, const Quillmark::CFontRows& results,
                    const Quillmark::CFontManager& manager, const fs::path& folder,
                    const std::map<std::string, const CDesign*>& expected,
                    const std::set<std::string>& rewritten) {
    CEndReport report;
    CFailures failed(report.failures);
    const std::string prefix = folder.native() + '/';

    // The folder as it is now, and as the churn says it must be.
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().native();
        if (entry.is_regular_file() && Quillmark::Platform::IsFontFileName(name)) {
            files.insert(name);
        }
    }
    report.files = files.size();
    {
        std::vector<std::string> unrecorded;
        std::vector<std::string> missingOnDisk;
        for (const std::string& name : files) {
            if (!expected.contains(name)) {
                unrecorded.push_back(name);
            }
        }
        for (const auto& [name, design] : expected) {
            if (!files.contains(name)) {
                missingOnDisk.push_back(name);
            }
        }
        // The soak's own bookkeeping: the rest means nothing without it.
        failed.Group("files in the folder that the churn never wrote", unrecorded);
        failed.Group("files the churn wrote that are not in the folder", missingOnDisk);
    }

    // Each row against its file.
    report.rows = static_cast<std::size_t>(list.rowCount());
    std::multiset<std::string> rowNames;
    std::vector<std::string> stale;
    std::vector<std::string> outdated;
    std::vector<std::string> misnamed;
    std::vector<std::string> wrongDesign;
    std::set<const CFontItem*> listed;
    for (int row = 0; row < list.rowCount(); ++row) {
        const CFontItem* item = list.ItemAt(row);
        if (item == nullptr) {
            failed.Add("row " + std::to_string(row) + " holds no font");
            continue;
        }
        listed.insert(item);
        const std::string name = item->GetFileName().native();
        rowNames.insert(name);
        if (item->GetPathText() != prefix + name) {
            stale.push_back(item->GetPathText() + " (not in the folder shown)");
            continue;
        }
        if (!files.contains(name)) {
            stale.push_back(name);
            continue;
        }
        if (item->GetStamp() != Quillmark::Platform::CFileStamp::Of(item->GetPath())) {
            outdated.push_back(name);
        }
        // A second reading of the file, made apart from the manager.
        const CFontItem now(item->GetPath(), {}, nullptr);
        const QString shown =
            list.index(row, Quillmark::FontList::NameColumn).data(Qt::DisplayRole).toString();
        const QString truth = QString::fromStdU16String(now.GetDisplayName());
        if (shown != truth) {
            misnamed.push_back(name + " shows \"" + shown.toStdString() + "\", holds \"" +
                               truth.toStdString() + "\"");
        }
        const auto design = expected.find(name);
        if (design != expected.end() && design->second != nullptr) {
            if (rewritten.contains(name)) {
                ++report.rewrittenRows;
            }
            if (now.GetName() != design->second->name) {
                wrongDesign.push_back(name + " holds \"" + Utf8(now.GetName()) + "\", written \"" +
                                      Utf8(design->second->name) + "\"");
            }
        }
    }
    std::vector<std::string> missing;
    std::vector<std::string> twice;
    for (const std::string& name : files) {
        const std::size_t count = rowNames.count(name);
        if (count == 0) {
            missing.push_back(name);
        } else if (count > 1) {
            twice.push_back(name);
        }
    }
    failed.Group("font files without a row", missing);
    failed.Group("files listed more than once", twice);
    failed.Group("rows of files that are gone", stale);
    failed.Group("rows showing an earlier version of their file", outdated);
    failed.Group("rows whose name is not their file's", misnamed);
    failed.Group("files whose name is not the design written last (the soak's own check)",
                 wrongDesign);

    // The search results: a font the manager let go of is a font whose
    // file went; the windows were told to drop it.
    report.results = static_cast<std::size_t>(results.rowCount());
    std::vector<std::string> letGo;
    std::vector<std::string> resultsGone;
    std::set<const CFontItem*> found;
    for (int row = 0; row < results.rowCount(); ++row) {
        const CFontItem* item = results.ItemAt(row);
        if (item == nullptr) {
            continue;
        }
        found.insert(item);
        const bool inFolder = item->GetPathText().starts_with(prefix);
        report.resultsInFolder += inFolder ? 1 : 0;
        if (!manager.Contains(item)) {
            letGo.push_back(item->GetPathText());
        } else if (inFolder && !files.contains(item->GetFileName().native())) {
            resultsGone.push_back(item->GetPathText());
        }
    }
    failed.Group("search results holding a font the manager let go of", letGo);
    failed.Group("search results of files deleted from the folder", resultsGone);

    // The manager: no font of a file that went, none that no row holds.
    std::vector<std::string> heldGone;
    std::vector<std::string> heldByNobody;
    std::set<std::string> listedPaths;
    for (const CFontItem* item : listed) {
        listedPaths.insert(item->GetPathText());
    }
    for (const CFontItem* item : found) {
        listedPaths.insert(item->GetPathText());
    }
    const std::vector<std::string> held = manager.Paths();
    report.held = held.size();
    for (const std::string& path : held) {
        const bool inFolder = path.starts_with(prefix);
        report.heldInFolder += inFolder ? 1 : 0;
        if (inFolder && !files.contains(path.substr(prefix.size()))) {
            heldGone.push_back(path);
        } else if (!listedPaths.contains(path)) {
            heldByNobody.push_back(path);
        }
    }
    failed.Group("fonts the manager holds for deleted files", heldGone);
    failed.Group("fonts the manager holds that no list shows", heldByNobody);
    if (report.heldInFolder != files.size()) {
        failed.Add("the manager holds " + std::to_string(report.heldInFolder) +
                   " fonts of the folder, which has " + std::to_string(files.size()));
    }
    report.alive = CFontItem::Alive();
    if (report.alive != report.held) {
        failed.Add(std::to_string(report.alive) + " font items alive, " +
                   std::to_string(report.held) +
                   " held by the manager: the rest were let go of and kept");
    }
    return report;
}

}  // namespace QuillmarkSoak
