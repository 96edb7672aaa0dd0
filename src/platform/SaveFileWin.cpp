#include "platform/SaveFile.h"

#include <cerrno>
#include <new>

#include "platform/FileErrors.h"
#include "platform/InterruptedSave.h"
#include "platform/WinSafeFileWriter.h"

bool saveFile(const std::string& path, const std::string& text, std::string& message, const SaveOptions& options)
{
    WinSafeFileWriter writer;
    writer.setOptions(options);
    return writer.save(path, text, message);
}

// The Windows writer takes the whole text: it is collected first, so that
// running out of memory fails the save before the file is touched.
bool saveFile(const std::string& path, const TextProducer& produce, std::string& message, const SaveOptions& options)
{
    std::string text;
    try {
        produce([&text](std::string_view piece) {
            text += piece;
            return true;
        });
    } catch (const std::bad_alloc&) {
        message = fileErrorMessage(ENOMEM, path);
        return false;
    }
    return saveFile(path, text, message, options);
}

// The Windows writer never writes in place without its old bytes at hand:
// no save leaves a marker behind.
std::string interruptedSaveNote(const std::string&)
{
    return std::string();
}

bool discardInterruptedSave(const std::string&, std::string&)
{
    return true;
}
