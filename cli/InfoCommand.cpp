// quillmark-cli info [--json] FILE...
//
// What the reader makes of each face of each file (a collection has
// several): by default the rows of the font information view, with --json
// one object a line. Exits with 1 when any face could not be read as a font.

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "fontdata/design/FontDesign.h"
#include "fontdata/opentype/FontImage.h"
#include "fontdata/opentype/FontInfoRows.h"
#include "fontdata/opentype/OpenTypeData.h"
#include "platform/PathBytes.h"

namespace Quillmark::Cli {

namespace {

using Varnholt::COpenTypeData;
using Varnholt::FontStatus;

// A variable font's axes and named instances, the layout features and
// scripts, and the languages the face's characters cover.
void DesignReport(CJsonLine& json, const std::string& path, const COpenTypeData& data) {
    namespace Design = Varnholt::OpenTypeFontData;
    Design::CFontDesign design;
    Design::ReadFontDesign(path, data.GetFaceIndex(), design);
    json.BeginArray("axes");
    for (const auto& axis : design.axes) {
        json.Begin()
            .Key("tag")
            .String(Design::TagText(axis.tag))
            .Key("name")
            .String(std::u16string_view(axis.name))
            .Key("min")
            .Real(axis.minimum)
            .Key("default")
            .Real(axis.defaultValue)
            .Key("max")
            .Real(axis.maximum)
            .Key("hidden")
            .Bool(axis.hidden)
            .End();
    }
    json.EndArray();
    json.BeginArray("instances");
    for (const auto& instance : design.instances) {
        json.Begin().Key("name").String(std::u16string_view(instance.name));
        json.Key("coordinates").Begin();
        for (std::size_t i = 0; i < instance.coordinates.size() && i < design.axes.size(); ++i) {
            json.Key(Design::TagText(design.axes[i].tag)).Real(instance.coordinates[i]);
        }
        json.End().End();
    }
    json.EndArray();
    json.BeginArray("features");
    for (const auto& feature : design.features) {
        json.String(Design::TagText(feature.tag));
    }
    json.EndArray();
    json.BeginArray("scripts");
    for (const std::uint32_t script : design.scripts) {
        json.String(Design::TagText(script));
    }
    json.EndArray();
    json.BeginArray("languages");
    for (const auto& language : Design::CoveredLanguages(data.GetCharacterMap())) {
        json.String(std::string_view(language));
    }
    json.EndArray();
}

std::string JsonReport(const std::string& path, FontStatus status, const COpenTypeData& data) {
    CJsonLine json;
    json.Begin().Key("path").Path(path).Key("status").Number(static_cast<int>(status));
    json.Key("faceIndex").Number(data.GetFaceIndex()).Key("faceCount").Number(data.GetFaceCount());
    if (status == FontStatus::Loaded) {
        json.Key("format").String(std::u16string_view(Varnholt::FormatName(data)));
        const auto nameOrNull = [&](const char* key, std::uint16_t id) {
            json.Key(key);
            if (const auto* name = data.GetName(id)) {
                json.String(std::u16string_view(*name));
            } else {
                json.Null();
            }
        };
        nameOrNull("fullName", 4);
        nameOrNull("familyName", 1);
        json.Key("symbol").Bool(data.IsSymbolFont());
        json.BeginArray("panose");
        for (const std::uint8_t value : data.GetOS2().panose) {
            json.Number(value);
        }
        json.EndArray();
        json.BeginArray("names");
        for (const auto& record : data.GetNameRecords()) {
            const auto& r = record.GetRecord();
            json.Begin()
                .Key("platformID")
                .Number(r.platformID)
                .Key("encodingID")
                .Number(r.encodingID)
                .Key("languageID")
                .Number(r.languageID)
                .Key("nameID")
                .Number(r.nameID)
                .Key("text")
                .String(std::u16string_view(r.text))
                .End();
        }
        json.EndArray();
        json.BeginArray("subtables");
        for (const auto& subtable : data.GetCharacterMap().subtables) {
            json.Begin().Key("encodingID").Number(subtable.encodingID);
            json.Key("count").Number(subtable.count);
            json.BeginArray("codes");
            subtable.ForEachCode([&](std::uint16_t code) { json.Number(code); });
            json.EndArray().End();
        }
        json.EndArray();
        // The characters past U+FFFF, as [first, last] pairs.
        json.BeginArray("supplementary");
        for (const auto& range : data.GetCharacterMap().supplementary) {
            json.BeginArray().Number(range.first).Number(range.last).EndArray();
        }
        json.EndArray();
        DesignReport(json, path, data);
    }
    json.End();
    return json.Text();
}

std::string TextReport(const std::string& path, FontStatus status, const COpenTypeData& data) {
    std::string out = Platform::TerminalText(path);
    if (data.GetFaceCount() > 1) {
        out += " (" + std::to_string(data.GetFaceIndex()) + ")";
    }
    out += "\n";
    out += "  Status: " + std::to_string(static_cast<int>(status));
    if (const char* message = Varnholt::StatusMessage(status)) {
        out += std::string(" ") + message;
    }
    out += "\n";
    if (status == FontStatus::Loaded) {
        const auto fileName = std::filesystem::path(path).filename().native();
        const auto shownName = Varnholt::FromUtf8(Platform::PathDisplayText(fileName));
        Varnholt::OpenTypeFontData::CFontDesign design;
        Varnholt::OpenTypeFontData::ReadFontDesign(path, data.GetFaceIndex(), design);
        for (const auto& row : Varnholt::OpenTypeFontData::AllInfoRows(shownName, data, design)) {
            out += "  " + Platform::TerminalText(Varnholt::ToUtf8(row.name)) + ": " +
                   Platform::TerminalText(Varnholt::ToUtf8(row.value)) + "\n";
        }
    }
    return out;
}

}  // namespace

int RunInfo(const Arguments& args) {
    bool json = false;
    CCommandLine commandLine(
        "info", "info [--json] FILE...",
        "What the font reader finds in each face of each file: the rows of the font\n"
        "information view.");
    commandLine.Flag("json", &json, "one JSON object a face");
    std::vector<std::string> files;
    if (const auto status = commandLine.Parse(args, &files)) {
        return *status;
    }
    if (files.empty()) {
        return commandLine.Refuse("no font file given");
    }
    // Every file is reported; a file the reader could not read makes the
    // whole command fail, as chars does.
    bool allRead = true;
    for (const auto& file : files) {
        // The first face says how many there are; a file that cannot be read
        // is one report.
        std::uint32_t faces = 1;
        for (std::uint32_t face = 0; face < faces; ++face) {
            COpenTypeData data;
            const FontStatus status =
                data.Load(file, Varnholt::OpenTypeFontData::MeasureFileSize(file), face);
            if (face == 0) {
                faces = std::max<std::uint32_t>(data.GetFaceCount(), 1);
            }
            allRead = allRead && status == FontStatus::Loaded;
            std::cout << (json ? JsonReport(file, status, data) + "\n"
                               : TextReport(file, status, data));
        }
    }
    std::cout.flush();
    return std::cout && allRead ? kExitDone : kExitFailed;
}

}  // namespace Quillmark::Cli
