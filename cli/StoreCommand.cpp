// quillmark-cli store projects|favorites [--save OUT] FILE
//
// Reads a font projects or favourites file as Quillmark does at start and
// prints what the store then holds, as one JSON object; with --save, writes
// the store back as Quillmark does at exit. Reading changes nothing: a file
// that cannot be used is set aside, and one with parts the store left out
// ("leftOut": how many) copied, ("kept") only before a save replaces it.
// Exits with 1 when the file is missing or could not be used, or the store
// could not be saved (the reason on stderr); the JSON is printed all the
// same.

#include <QCoreApplication>
#include <QFile>
#include <iostream>

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "collections/FavoriteFolders.h"
#include "collections/FontProjects.h"
#include "core/PathText.h"
#include "platform/PathBytes.h"

namespace Quillmark::Cli {

namespace {
std::u16string Text(const QString& text) {
    return text.toStdU16String();
}

// What the store left out and where the file was kept, and the object's end.
void Finish(CJsonLine& json, const CXmlStoreFile& storeFile) {
    if (const int leftOut = storeFile.LeftOut().Count(); leftOut > 0) {
        json.Key("leftOut").Number(leftOut);
    }
    if (const QString& kept = storeFile.KeptCopy(); !kept.isEmpty()) {
        json.Key("kept").String(std::u16string_view(Text(kept)));
    }
    json.End();
}

// How the file read: whether it could be used (a missing file could not:
// the user named a file to read), and what to say on stderr.
struct CReading {
    bool usable = true;
    std::string note;
};

CReading Reading(const std::string& file, const CXmlStoreFile& storeFile) {
    const std::string shown = Platform::TerminalText(file);
    using R = CXmlStoreFile::LoadResult;
    if (storeFile.LastLoad() == R::Missing) {
        return {false, "quillmark-cli store: " + shown + ": no such file\n"};
    }
    if (storeFile.LastLoad() != R::Parsed) {
        return {false, "quillmark-cli store: " + shown +
                           " could not be used: " + storeFile.LoadProblem().toStdString() + "\n"};
    }
    if (!storeFile.LeftOut().IsEmpty()) {
        return {true, "quillmark-cli store: " + shown + ": left out what Quillmark cannot use: " +
                          storeFile.LeftOut().Text().toStdString() + "\n"};
    }
    return {};
}

}  // namespace

int RunStore(const Arguments& args) {
    std::optional<std::string> save;
    CCommandLine commandLine(
        "store", "store projects|favorites [--save OUT] FILE",
        "What the font projects or favourites store reads from FILE, as JSON;\n"
        "reading changes nothing.");
    commandLine.Text("save", "OUT", &save, "write the store to OUT as Quillmark does at exit");
    std::vector<std::string> operands;
    if (const auto status = commandLine.Parse(args, &operands)) {
        return *status;
    }
    if (operands.empty()) {
        return commandLine.Refuse("no store given: projects or favorites");
    }
    if (operands[0] != "projects" && operands[0] != "favorites") {
        return commandLine.Refuse("no store is named '" + operands[0] + "': projects or favorites");
    }
    if (operands.size() > 2) {
        return commandLine.Refuse("give one store file");
    }
    if (operands.size() < 2 || operands[1].empty()) {
        return commandLine.Refuse("no store file given");
    }
    if (save && save->empty()) {
        return commandLine.Refuse("--save needs a file name");
    }
    const std::string& kind = operands[0];
    const std::string& file = operands[1];
    const QString path = PathText(file);
    constexpr auto keep = CXmlStoreFile::Keep::BeforeReplacing;
    bool saved = true;
    QString saveError;
    CReading reading;
    CJsonLine json;
    json.Begin();
    if (kind == "projects") {
        CFontProjects projects;
        projects.Load(path, keep);
        json.BeginArray("projects");
        for (const auto& [name, fonts] : projects) {
            json.Begin().Key("name").String(std::u16string_view(Text(name)));
            json.BeginArray("fonts");
            for (const CProjectFont& font : *fonts) {
                json.String(std::u16string_view(Text(font.path)));
            }
            // The face of each font, in the same order (0: a file's first).
            json.EndArray().BeginArray("faces");
            for (const CProjectFont& font : *fonts) {
                json.Number(font.face);
            }
            json.EndArray().End();
        }
        json.EndArray();
        if (save) {
            const CResult<> written = projects.Save(PathText(*save));
            saved = static_cast<bool>(written);
            if (!written) {
                saveError = QString::fromStdString(written.Failure().Reason());
            }
            json.Key("saved").Bool(saved);
        }
        reading = Reading(file, projects.StoreFile());
        Finish(json, projects.StoreFile());
    } else {
        CFavoriteFolders favorites;
        int code = 0;
        try {
            favorites.Load(path, keep);
        } catch (const CFavoriteFoldersException& e) {
            code = e.code;
        }
        json.Key("error").Number(code);
        json.BeginArray("folders");
        favorites.ForEach(
            [&](const QString& folder) { json.String(std::u16string_view(Text(folder))); });
        json.EndArray();
        if (save) {
            try {
                favorites.Save(PathText(*save));
            } catch (const CFavoriteFoldersException& e) {
                saved = false;
                saveError = e.reason;
            }
            json.Key("saved").Bool(saved);
        }
        reading = Reading(file, favorites.StoreFile());
        Finish(json, favorites.StoreFile());
    }
    std::cout << json.Text() << "\n";
    std::cerr << reading.note;
    if (!saved) {
        std::cerr << "quillmark-cli: the store was not saved: " << saveError.toStdString() << "\n";
    }
    return reading.usable && saved ? kExitDone : kExitFailed;
}

}  // namespace Quillmark::Cli
