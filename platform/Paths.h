#pragma once

// Where Quillmark keeps things on this desktop (XDG base directories).

#include <filesystem>

namespace Quillmark::Platform {

// $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path ConfigHome();
// The user's font folder, $XDG_DATA_HOME/fonts: installed fonts go here.
std::filesystem::path UserFontsFolder();
// Quillmark's data folder, $XDG_DATA_HOME/Varnholt/Quillmark.
std::filesystem::path DataFolder();
// The earlier edition's data folder, $XDG_DATA_HOME/Varnholt/Quillmark Pro.
std::filesystem::path EarlierEditionDataFolder();

}  // namespace Quillmark::Platform
