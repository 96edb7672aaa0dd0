#include "platform/PluginLibrary.h"

#include <dlfcn.h>
#include <sys/stat.h>

bool pluginFileExists(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

void* openPluginFunction(const std::string& path, const char* entry, std::string& error)
{
    // Bound at once, so that a missing library or symbol is told here and
    // not as a crash in the middle of a check; its symbols stay its own.
    void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* reason = ::dlerror();
        error = reason ? reason : "cannot be loaded";
        return nullptr;
    }
    ::dlerror();
    void* function = ::dlsym(library, entry);
    if (!function) {
        error = std::string(entry) + " not found in " + path;
        ::dlclose(library);
    }
    return function;
}
