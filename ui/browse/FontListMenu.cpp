#include "ui/browse/FontListMenu.h"

namespace Quillmark {

namespace {

// PANOSE family kinds 0 (any) and 1 (no fit) say nothing to compare.
bool ComparablePanose(std::uint8_t family) {
    return family > 1;
}

void Tidy(std::vector<CFontListMenuEntry>& entries) {
    std::vector<CFontListMenuEntry> tidy;
    for (const CFontListMenuEntry& entry : entries) {
        const bool separator = entry.command == FontListCommand::Separator;
        if (separator && (tidy.empty() || tidy.back().command == FontListCommand::Separator)) {
            continue;
        }
        tidy.push_back(entry);
    }
    while (!tidy.empty() && tidy.back().command == FontListCommand::Separator) {
        tidy.pop_back();
    }
    entries = std::move(tidy);
}

}  // namespace

std::vector<CFontListMenuEntry> FontListMenuEntries(const CFontListMenuContext& context) {
    using enum FontListCommand;
    std::vector<CFontListMenuEntry> entries;
    if (context.readable) {
        entries.push_back({Open, true, true});
        entries.push_back({OpenInFileManager});
        entries.push_back({FindSimilar, ComparablePanose(context.panoseFamily)});
    } else {
        entries.push_back({WhatsWrong, true, true});
    }
    entries.push_back({Separator});
    // Fonts in the fonts folder are installed already.
    if (context.readable && !context.fontsFolderShown) {
        entries.push_back({Install});
    }
    if (context.readable) {
        entries.push_back({AddToProject});
    }
    // Just above Delete, so that the font can be seen where it lies before
    // it goes.
    if (context.searchResults || context.projectMode) {
        entries.push_back({GoToContainingFolder});
    }
    // Fonts in the fonts folder are not deleted from here.
    if (!context.fontsFolderShown) {
        entries.push_back({Delete});
    }
    entries.push_back({Separator});
    if (context.readable) {
        entries.push_back({FontInformation});
    }
    entries.push_back({Properties});
    Tidy(entries);
    return entries;
}

}  // namespace Quillmark
