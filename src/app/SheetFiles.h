#pragma once

#include <QString>
#include <optional>
#include <string>

// A file name as the core takes it: the system's bytes, and on Windows
// UTF-8 (the core's platform layer makes UTF-16 of it).
std::string corePath(const QString& path);

// The whole file at path, or nothing when there is none (or it cannot be
// read). Read as the core reads a configuration: a pipe or a device put
// there fails at once instead of hanging.
std::optional<std::string> fileBytes(const QString& path);
