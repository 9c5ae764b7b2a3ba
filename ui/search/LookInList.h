#pragma once

// The entries of a search window's "Look in:" list, without widgets: the
// Desktop with its folders, Home, Computer with its volumes, the chosen
// folder's path below the entry it lies in, the fonts folder, and the
// commands that choose another folder or a project.

#include <QString>
#include <vector>

namespace Quillmark {

struct CLookInEntry {
    enum class Kind { Folder, Computer, Browse, Favorite, Project };
    Kind kind = Kind::Folder;
    QString text;
    QString path;  // Folder: the folder; Project: the project's name (empty for the command)
    int indent = 0;
    QString iconName;  // from the icon theme
};

// What the list is made of on this desktop.
struct CLookInPlaces {
    QString desktop;
    QString home;
    QString fontsFolder;
    struct CVolume {
        QString mountPoint;
        bool removable = false;
    };
    std::vector<CVolume> volumes;
    bool favorites = true;  // offer "Select Favorite Folder..."
    bool projects = true;   // offer "Select Project..."

    // The desktop folder, home, the user's fonts folder and the volumes of
    // the mount table.
    static CLookInPlaces OfThisDesktop();
};

class CLookInList {
public:
    // The location that stands for the computer, as the folder tree names it.
    static constexpr const char* kComputer = "::computer";

    // The entries for `location` (a folder's path, kComputer, or a
    // project's name), and the index of the one to select: the location's
    // own entry, else the Desktop. A desktop folder that does not exist is
    // the home folder, as in the folder tree.
    int Fill(const CLookInPlaces& places, const QString& location, bool isProject);

    const std::vector<CLookInEntry>& Entries() const { return m_entries; }
    const CLookInEntry* At(int index) const;

private:
    std::vector<CLookInEntry> m_entries;
};

}  // namespace Quillmark
