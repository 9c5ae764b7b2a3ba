// quillmark-cli store projects|favorites [--save OUT] FILE
//
// Reads a font projects or favourites file as Quillmark does at start and
// prints what the store then holds, as one JSON object; with --save, writes
// the store back as Quillmark does at exit.

#include <QCoreApplication>
#include <QFile>
#include <iostream>

#include "cli/Commands.h"
#include "cli/Json.h"
#include "collections/FavoriteFolders.h"
#include "collections/FontProjects.h"
#include "core/PathText.h"

namespace Quillmark::Cli {

namespace {
constexpr const char* kUsage = "usage: quillmark-cli store projects|favorites [--save OUT] FILE\n";

std::u16string Text(const QString& text) {
    return text.toStdU16String();
}
}  // namespace

int RunStore(const Arguments& args) {
    std::string kind;
    std::string save;
    std::string file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--save" && i + 1 < args.size()) {
            save = args[++i];
        } else if (args[i] == "--help" || args[i] == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (kind.empty()) {
            kind = args[i];
        } else if (file.empty()) {
            file = args[i];
        } else {
            std::cerr << kUsage;
            return 2;
        }
    }
    if ((kind != "projects" && kind != "favorites") || file.empty()) {
        std::cerr << kUsage;
        return 2;
    }
    const QString path = PathText(file);
    CJsonLine json;
    json.Begin();
    if (kind == "projects") {
        CFontProjects projects;
        projects.Load(path);
        json.BeginArray("projects");
        for (const auto& [name, fonts] : projects) {
            json.Begin().Key("name").String(std::u16string_view(Text(name)));
            json.BeginArray("fonts");
            for (const QString& font : *fonts) {
                json.String(std::u16string_view(Text(font)));
            }
            json.EndArray().End();
        }
        json.EndArray();
        if (!save.empty()) {
            json.Key("saved").Bool(projects.Save(PathText(save)));
        }
    } else {
        CFavoriteFolders favorites;
        int code = 0;
        try {
            favorites.Load(path);
        } catch (const CFavoriteFoldersException& e) {
            code = e.code;
        }
        json.Key("error").Number(code);
        json.BeginArray("folders");
        favorites.ForEach(
            [&](const QString& folder) { json.String(std::u16string_view(Text(folder))); });
        json.EndArray();
        if (!save.empty()) {
            bool saved = true;
            try {
                favorites.Save(PathText(save));
            } catch (const CFavoriteFoldersException&) {
                saved = false;
            }
            json.Key("saved").Bool(saved);
        }
    }
    json.End();
    std::cout << json.Text() << "\n";
    return 0;
}

}  // namespace Quillmark::Cli
