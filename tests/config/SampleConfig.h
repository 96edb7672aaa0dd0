#pragma once

#include "config/Configuration.h"

// A record with printers, papers (names with blanks, a4 beside A4) and
// header bitmaps, and non-default settings everywhere.
inline void fillSample(Configuration& c)
{
    PrinterRecord laser;
    laser.Description = "Ward 3 laser";
    laser.PrinterAETitle = "LASER3";
    laser.PrinterAddress = "192.168.10.21";
    laser.PrinterQueue = "PASSTHRU";
    laser.UseGrayGraduation = true;
    laser.GrayGraduationFile = "C:\\grad\\gray.txt";
    c.Printers.add(laser);

    PrinterRecord color;
    color.Description = "Colour = film; room 2";
    color.PrinterAETitle = "COLOR";
    color.PrinterAddress = "printsrv";
    color.PrinterQueue = "Color Share";
    color.UseColorGraduation = true;
    color.ColorGraduationFile = "/srv/grad/color.txt";
    color.UseRedGraduation = true;
    color.UseGreenGraduation = true;
    color.UseBlueGraduation = true;
    color.RedGraduationFile = "r.txt";
    color.GreenGraduationFile = "g.txt";
    color.BlueGraduationFile = "b.txt";
    c.Printers.add(color);

    PaperRecord a4;
    a4.Name = "A4";
    a4.Description = "A4 plain";
    a4.PaperLabel = "A4";
    a4.HeaderName = "LOGO";
    a4.SizeX = 595;
    a4.SizeY = 842;
    a4.SkipX = 20;
    a4.SkipY = 20;
    c.Papers.add(a4);

    PaperRecord small;
    small.Name = "a4";
    small.SizeX = 590;
    small.SizeY = 840;
    small.OffsetX = -5;
    small.OffsetY = 3;
    c.Papers.add(small);

    PaperRecord film;
    film.Name = "14IN X 17IN Film";
    film.Description = "Film (named as 14INX17IN)";
    film.PaperLabel = "Tray 2";
    film.SizeX = 1008;
    film.SizeY = 1224;
    c.Papers.add(film);

    c.Headers.add(HeaderRecord{"LOGO", "C:\\bitmaps\\logo.bmp"});
    c.Headers.add(HeaderRecord{"WARD 3", ""});

    c.SuppressPrinting = true;
    c.DeleteJobFile = false;
    c.Asynchronous = false;
    c.PrinterName = "Radiology print server";
    c.UseCMYK = true;
    c.SupportsColorImage = false;
    c.BasicColorMetaSOPClass = false;
    c.Annotation = true;
    c.PrintJob = true;
    c.LenientMode = false;
    c.IgnoreAnnotationFormat = false;
    c.Copies = 3;
    c.Priority = 2;
    c.MediumType = 1;
    c.Destination = 1;
    c.Label = "Session";
    c.Port = 5104;
    c.ServerAETitle = "RADSRV";
    c.CheckAETitles = true;
    c.IncludeLabel = true;
    c.LabelSize = 9;
    c.PositionX = -4;
    c.PositionY = 800;
    c.Text = "St. Elsewhere = radiology";
    c.Layout.Description = "Two on one";
    c.Layout.TrimWidth = 2.5;
    c.Layout.ImageDistance = 10;
    c.Layout.Orientation = 1;
    c.Layout.PageSize = "A4";
    c.Layout.Trim = true;
    c.Layout.BorderDensity = "BLACK";
    c.Layout.EmptyImageDensity = "128";
}
