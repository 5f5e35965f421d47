#pragma once

// Where the files of a planner table lie. Table and file names ignore letter case, as they
// do on Windows.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vestran {

// "ASIGT" and "asigt.dbf" both give "ASIGT"; new files get this upper-case name.
std::string tableBaseName(std::string_view name);

// The entries of dir (files, but also folders or pipes that bear the name) whose name
// equals fileName ignoring ASCII letter case, exact match first.
std::vector<std::filesystem::path> filesNamedIgnoringCase(const std::filesystem::path& dir,
                                                          std::string_view fileName);

// The .DBF file of the table, found ignoring case; nullopt when there is none. What it
// names may be a folder: opening it says so.
std::optional<std::filesystem::path> findTableFile(const std::filesystem::path& dir,
                                                   std::string_view table);

}  // namespace vestran
