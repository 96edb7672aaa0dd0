#pragma once

#include <string>

// What a DIMSE status means for the step that received it.
enum class StatusKind { Success, Warning, Failure };

// DCMTK's reading of the standard's ranges: success 0x0000; warnings Bxxx,
// 0x0001, 0x0107 and 0x0116; anything else fails the step (a cancel or a
// pending status is no answer to a DIMSE-N request either).
StatusKind statusKind(unsigned short status);

// The status as the program shows it: "0xB605".
std::string statusCode(unsigned short status);

// "success", "warning 0xB605", "failure 0xC600".
std::string statusText(unsigned short status);
