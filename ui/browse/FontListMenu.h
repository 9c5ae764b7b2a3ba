#pragma once

// Which commands a font list's row menu offers, in order, and which of
// them are greyed: decided from the row and the list alone, without widgets.

#include <cstdint>
#include <vector>

namespace Quillmark {

// Which list a font list's commands serve.
enum class FontListKind {
    MainList,       // the main window's: a folder or a font project
    SearchResults,  // a search window's
};

enum class FontListCommand {
    Separator,
    Open,
    OpenInFileManager,
    FindSimilar,
    GoToContainingFolder,
    Install,
    AddToProject,
    Delete,  // "Remove from project" in project mode
    FontInformation,
    Properties,
    WhatsWrong,  // help for a file that cannot be read
};

struct CFontListMenuEntry {
    FontListCommand command;
    bool enabled = true;
    bool isDefault = false;  // what a double-click does

    bool operator==(const CFontListMenuEntry&) const = default;
};

struct CFontListMenuContext {
    bool readable = true;           // the row's font could be read
    std::uint8_t panoseFamily = 0;  // PANOSE byte 0 of the row's font
    bool searchResults = false;     // a search window's list
    bool projectMode = false;       // the main list shows a font project
    bool fontsFolderShown = false;  // the main list shows the user's fonts folder
};

// The entries in menu order: never two separators in a row, none first or
// last.
std::vector<CFontListMenuEntry> FontListMenuEntries(const CFontListMenuContext& context);

}  // namespace Quillmark
