#pragma once

#include <filesystem>
#include <string>

// The program's file names are strings: on Windows UTF-8, as the command
// line gave them whatever the code pages of the console and the system; on
// other systems the system's own bytes.

// The name as the C++ library's file calls take it (std::ifstream,
// std::filesystem): on Windows made from the UTF-8, where the library would
// read a narrow name in the ANSI code page. Empty when the name is no UTF-8.
std::filesystem::path libraryPath(const std::string& name);

// 0 when there is something at path (stat() finds it), otherwise the errno
// value stat() reports: ENOENT when nothing is there.
int pathStatus(const std::string& path);
