#include "dicom/DimseStatus.h"

#include <cstdio>

#include "dcmtk/config/osconfig.h"

#include "dcmtk/dcmnet/dimse.h"

StatusKind statusKind(unsigned short status)
{
    if (DICOM_SUCCESS_STATUS(status))
        return StatusKind::Success;
    if (DICOM_WARNING_STATUS(status))
        return StatusKind::Warning;
    return StatusKind::Failure;
}

std::string statusCode(unsigned short status)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", status);
    return text;
}

std::string statusText(unsigned short status)
{
    switch (statusKind(status)) {
    case StatusKind::Success:
        return "success";
    case StatusKind::Warning:
        return "warning " + statusCode(status);
    case StatusKind::Failure:
        break;
    }
    return "failure " + statusCode(status);
}
