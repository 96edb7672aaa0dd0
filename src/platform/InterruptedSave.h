#pragma once

#include <string>

// What a save that was cut off while it wrote a file in place leaves behind
// (InPlaceSave.h): a marker naming the file and a copy of its old bytes.
// Writers refuse to go on from such a file until the copy has been looked at
// or discarded. The Windows writer never writes in place: there is never
// anything to tell or discard there.

// When a save of the file at path was interrupted while it wrote the file
// in place (its marker remains), the text that says so and names the copy
// of the old content; empty otherwise.
std::string interruptedSaveNote(const std::string& path);

// Removes the marker and the copy of an interrupted save of path, so that
// the file as it is now counts as the configuration; false with the reason
// when one of them stays.
bool discardInterruptedSave(const std::string& path, std::string& message);
