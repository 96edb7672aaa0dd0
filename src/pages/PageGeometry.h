#pragma once

#include <QRectF>
#include <QSizeF>
#include <vector>

#include "config/Records.h"

// The standard layout as the page preview samples it: a grid of image boxes
// on the default page size.
struct LayoutSample {
    bool Landscape = false;
    double ImageDistance = 0;
    double TrimWidth = 0;
    bool Trim = false;
    int BorderDensity = 256; // 0 is black, 256 white
    int EmptyImageDensity = 256;
    int Columns = 2;
    int Rows = 3;
};

// A density as a number: Black 0, White 256, Custom its number.
int densityValue(int mode, int number);

// Where the parts of a page lie, in points, on the sheet as it is looked at:
// origin at the sheet's bottom-left corner, y upwards, as in PostScript.
// In its rectangles y() is therefore the lower edge and y() + height() the
// upper one.
struct PageGeometry {
    bool HasSheet = false; // width and height above 0
    QSizeF Sheet;          // turned for LANDSCAPE
    QRectF Nominal;        // the printable area where the borders leave it
    QRectF Printable;      // the same moved by the offsets
    bool NoPrintableArea = false;
    bool OffSheet = false;    // part of the printable area lies off the sheet
    bool EntirelyOff = false; // none of it lies on the sheet
    bool NoRoomForImages = false;
    std::vector<QRectF> Boxes;  // image boxes, trim included
    std::vector<QRectF> Images; // inside the trim (equal to Boxes without)
};

// SkipX borders lie left and right, SkipY borders at the top and bottom;
// OffsetX moves the printable area right, OffsetY up. With a landscape
// sample the sheet is turned as PostScript turns a page (90 degrees
// anticlockwise for the page's content), so the printer's right edge
// becomes the bottom: OffsetX then moves the area down and OffsetY right.
PageGeometry computePageGeometry(const PaperRecord& paper, const LayoutSample* layout = nullptr);
