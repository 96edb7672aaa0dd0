#include "app/SheetFiles.h"

#include <QFile>
#include <string_view>

#include "config/ConfigReader.h"
#include "platform/RegularFile.h"

std::string corePath(const QString& path)
{
#ifdef _WIN32
    return path.toUtf8().toStdString();
#else
    return QFile::encodeName(path).toStdString();
#endif
}

std::optional<std::string> fileBytes(const QString& path)
{
    std::string bytes, message;
    if (!readRegularFile(corePath(path), message, ConfigReader::kChunkSize,
                         [&bytes](std::string_view chunk) { bytes.append(chunk); }))
        return std::nullopt;
    return bytes;
}
