#include "platform/SaveFile.h"

#include "platform/SafeFileWriter.h"

bool saveFile(const std::string& path, const std::string& text, std::string& message)
{
    return SafeFileWriter().save(path, text, message);
}

bool saveFile(const std::string& path, const TextProducer& produce, std::string& message)
{
    return SafeFileWriter().save(path, produce, message);
}
