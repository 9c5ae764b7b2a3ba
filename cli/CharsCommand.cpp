// quillmark-cli chars [--json] [--face N] FILE...
//
// The characters the font map shows for each font, with their Unicode
// names: one "U+XXXX NAME" a line, or with --json one object a line. The
// characters of the 16-bit map come first, as the map shows them, then
// those past U+FFFF of the font's 32-bit map.

#include <cstdio>
#include <iostream>
#include <vector>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "fontdata/opentype/FontImage.h"
#include "fontdata/opentype/FontInfoRows.h"
#include "fontdata/opentype/OpenTypeData.h"
#include "fontdata/unicode/UnicodeCharDescriptions.h"
#include "platform/PathBytes.h"
#include "platform/QuillmarkException.h"

namespace Quillmark::Cli {

namespace {

std::string Hex(std::uint32_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(code));
    return text;
}

}  // namespace

int RunChars(const Arguments& args) {
    bool json = false;
    int face = 0;
    CCommandLine commandLine(
        "chars", "chars [--json] [--face N] FILE...",
        "The characters the font map shows for each font, one \"U+XXXX NAME\" a "
        "line.");
    commandLine.Flag("json", &json, "one JSON object a character")
        .Number("face", "N", 0, 65535, &face, "the face of a collection, from 0 (default 0)");
    std::vector<std::string> files;
    if (const auto status = commandLine.Parse(args, &files)) {
        return *status;
    }
    if (files.empty()) {
        return commandLine.Refuse("no font file given");
    }
    std::unique_ptr<CUnicodeCharDescriptions> names;
    try {
        names = std::make_unique<CUnicodeCharDescriptions>();
    } catch (const CFileNotFoundException& error) {
        std::cerr << "quillmark-cli chars: The file " << Platform::TerminalText(error.GetPath())
                  << " could not be found.\n";
        return kExitFailed;
    }

    int status = 0;
    for (const auto& file : files) {
        Varnholt::COpenTypeData data;
        const auto loaded = data.Load(file, Varnholt::OpenTypeFontData::MeasureFileSize(file),
                                      static_cast<std::uint32_t>(face));
        if (loaded != Varnholt::FontStatus::Loaded) {
            const char* message = Varnholt::StatusMessage(loaded);
            std::cerr << "quillmark-cli chars: " << Platform::TerminalText(file) << ": "
                      << (message != nullptr ? message : "cannot be read") << "\n";
            status = 1;
            continue;
        }
        const auto& map = data.GetCharacterMap();
        if (map.subtables.empty() && map.supplementary.empty()) {
            continue;
        }
        // As the map: the first subtable's codes, from the second entry on,
        // then the characters past U+FFFF.
        std::vector<std::uint32_t> codes;
        if (!map.subtables.empty()) {
            map.subtables.front().ForEachCode([&](std::uint16_t code) { codes.push_back(code); });
        }
        const std::size_t first = codes.empty() ? 0 : 1;
        for (const auto& range : map.supplementary) {
            for (std::uint32_t code = range.first; code <= range.last; ++code) {
                codes.push_back(code);
            }
        }
        for (std::size_t i = first; i < codes.size(); ++i) {
            const auto code = codes[i];
            const std::u16string_view name = names->Name(code);
            if (json) {
                CJsonLine line;
                line.Begin().Key("path").Path(file).Key("code").Number(code).Key("name");
                if (names->Lookup(code) != nullptr) {
                    line.String(name);
                } else {
                    line.Null();
                }
                std::cout << line.End().Text() << "\n";
            } else {
                std::cout << "U+" << Hex(code);
                if (!name.empty()) {
                    std::cout << " " << Varnholt::ToUtf8(name);
                }
                std::cout << "\n";
            }
        }
    }
    std::cout.flush();
    return std::cout ? status : 1;
}

}  // namespace Quillmark::Cli
