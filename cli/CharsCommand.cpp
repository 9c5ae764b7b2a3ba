// quillmark-cli chars [--json] FILE...
//
// The characters the font map shows for each font, with their Unicode
// names: one "U+XXXX NAME" a line, or with --json one object a line.

#include <cstdio>
#include <iostream>

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

constexpr const char* kUsage = "usage: quillmark-cli chars [--json] FILE...\n";

std::string Hex(std::uint16_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(code));
    return text;
}

}  // namespace

int RunChars(const Arguments& args) {
    bool json = false;
    std::vector<std::string> files;
    for (const auto& arg : args) {
        if (arg == "--json") {
            json = true;
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return 0;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        std::cerr << "quillmark-cli chars: no font file given\n" << kUsage;
        return 2;
    }
    std::unique_ptr<CUnicodeCharDescriptions> names;
    try {
        names = std::make_unique<CUnicodeCharDescriptions>();
    } catch (const CFileNotFoundException& error) {
        std::cerr << "quillmark-cli chars: The file " << Platform::TerminalText(error.GetPath())
                  << " could not be found.\n";
        return 1;
    }

    int status = 0;
    for (const auto& file : files) {
        Varnholt::COpenTypeData data;
        const auto loaded = data.Load(file, Varnholt::OpenTypeFontData::MeasureFileSize(file));
        if (loaded != Varnholt::FontStatus::Loaded) {
            const char* message = Varnholt::StatusMessage(loaded);
            std::cerr << "quillmark-cli chars: " << Platform::TerminalText(file) << ": "
                      << (message != nullptr ? message : "cannot be read") << "\n";
            status = 1;
            continue;
        }
        const auto& subtables = data.GetCharacterMap().subtables;
        if (subtables.empty()) {
            continue;
        }
        // As the map: the first subtable's codes, from the second entry on.
        const auto& map = subtables.front();
        for (std::uint32_t i = 1; i < map.count; ++i) {
            const auto code = map.codes[i];
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
