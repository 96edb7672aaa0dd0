#pragma once

#include <string>

// Opens the shared library at path (UTF-8) for the rest of the process and
// returns the address of its exported function entry; null, with the
// system's reason in error, when the library cannot be loaded or has no such
// function. The library is never closed.
// True when path (UTF-8) names a file or a link to one.
bool pluginFileExists(const std::string& path);

void* openPluginFunction(const std::string& path, const char* entry, std::string& error);
