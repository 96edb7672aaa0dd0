// How a DIMSE status is read and shown: success, the warnings of the
// standard's ranges (which let the film go on), and everything else a
// failure.
#include <gtest/gtest.h>

#include "dicom/DimseStatus.h"

TEST(DimseStatus, EachStatusIsASuccessAWarningOrAFailureShownWithItsCode)
{
    struct Row {
        unsigned short status;
        StatusKind kind;
        const char* text;
    };
    const Row rows[] = {
        {0x0000, StatusKind::Success, "success"},
        {0x0001, StatusKind::Warning, "warning 0x0001"}, // optional attributes not supported
        {0x0107, StatusKind::Warning, "warning 0x0107"}, // attribute list error
        {0x0116, StatusKind::Warning, "warning 0x0116"}, // attribute value out of range
        {0xB600, StatusKind::Warning, "warning 0xB600"}, // memory allocation not supported
        {0xB60A, StatusKind::Warning, "warning 0xB60A"}, // image decimated: capitals
        {0x0110, StatusKind::Failure, "failure 0x0110"}, // processing failure
        {0x0122, StatusKind::Failure, "failure 0x0122"}, // SOP class not supported
        {0x0210, StatusKind::Failure, "failure 0x0210"}, // duplicate invocation
        {0xA700, StatusKind::Failure, "failure 0xA700"}, // out of resources
        {0xC616, StatusKind::Failure, "failure 0xC616"}, // film box has no image box
        {0xFE00, StatusKind::Failure, "failure 0xFE00"}, // cancel: no answer to a request
        {0xFF00, StatusKind::Failure, "failure 0xFF00"}, // pending: no final answer either
        {0x0002, StatusKind::Failure, "failure 0x0002"}, // no status the standard knows
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(statusKind(row.status), row.kind);
        EXPECT_EQ(statusText(row.status), row.text);
    }
}
