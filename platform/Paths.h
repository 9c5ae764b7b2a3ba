#pragma once

// Where Quillmark keeps things on this desktop (XDG base directories).

#include <filesystem>
#include <string>
#include <vector>

namespace Quillmark::Platform {

// $XDG_DATA_HOME, else ~/.local/share.
std::filesystem::path DataHome();
// $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path ConfigHome();
// The user's font folder, $XDG_DATA_HOME/fonts: installed fonts go here.
std::filesystem::path UserFontsFolder();
// Quillmark's data folder, $XDG_DATA_HOME/Varnholt/Quillmark.
std::filesystem::path DataFolder();
// The earlier edition's data folder, $XDG_DATA_HOME/Varnholt/Quillmark Pro.
std::filesystem::path EarlierEditionDataFolder();

// The folder of the running executable; empty when it cannot be told.
std::filesystem::path ProgramFolder();
// Where `name`, a data file shipped with the program, is looked for: the
// program's folder first (a build tree), then the data folder of the prefix
// the program is installed in (PREFIX/share/quillmark beside PREFIX/bin, or
// beside PREFIX/libexec/quillmark for the helpers installed there).
std::vector<std::filesystem::path> ProgramDataCandidates(const std::string& name);

}  // namespace Quillmark::Platform
