#include "platform/SaveFile.h"

#include "platform/SafeFileWriter.h"

bool saveFile(const std::string& path, const std::string& text, std::string& message, const SaveOptions& options)
{
    SafeFileWriter writer;
    writer.setOptions(options);
    return writer.save(path, text, message);
}

bool saveFile(const std::string& path, const TextProducer& produce, std::string& message, const SaveOptions& options)
{
    SafeFileWriter writer;
    writer.setOptions(options);
    return writer.save(path, produce, message);
}
