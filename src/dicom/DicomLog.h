#pragma once

// How much of DCMTK's own log reaches standard error, as echoscu's
// --verbose and --debug choose it. Off unless a command asks for more.
enum class DicomLogLevel { Off, Info, Debug };

void setDicomLogLevel(DicomLogLevel level);
// Applies the level chosen (Off when none was) before the first association.
void applyDicomLogLevel();
