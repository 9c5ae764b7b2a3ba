#pragma once

// What the soak asks of the window once the churn has ended and the
// program has settled: the list is in step with the folder (a row for each
// font file, none for a file that went, each showing the file's present
// design), the search results hold no font that the manager let go of, and
// every font item alive is one the manager holds for a row.

#include <cstddef>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/soak/SoakChurn.h"

namespace Quillmark {
class CFontManager;
class CFontRows;
}  // namespace Quillmark

namespace QuillmarkSoak {

struct CEndReport {
    std::size_t files = 0;              // font files in the folder
    std::size_t rows = 0;               // rows of the list
    std::size_t held = 0;               // items the manager holds
    std::size_t heldInFolder = 0;       // of those, the folder's
    std::size_t alive = 0;              // items that exist
    std::size_t results = 0;            // rows of the search results
    std::size_t resultsInFolder = 0;    // of those, the folder's
    std::size_t rewrittenRows = 0;      // rows checked against a design written over them
    std::vector<std::string> failures;  // each one sentence
};

// `expected` is what the churn wrote last under each name; `rewritten` the
// names it wrote over at least once.
CEndReport CheckEnd(const Quillmark::CFontRows& list, const Quillmark::CFontRows& results,
                    const Quillmark::CFontManager& manager, const std::filesystem::path& folder,
                    const std::map<std::string, const CDesign*>& expected,
                    const std::set<std::string>& rewritten);

}  // namespace QuillmarkSoak
