#pragma once

#include <cstddef>
#include <string_view>

#include "diff/EditScript.h"
#include "diff/TextPieces.h"

// Writes the unified diff that script makes of the text before into the
// text after: "---" and "+++" with the labels, then a hunk of each run of
// changes with context lines on either side; nothing when the script
// changes nothing. The texts are read from their sources as the hunks need
// them, so that neither is held whole. Lines keep their own ends, LF or
// CR LF, so that patch applies the diff to the bytes as they stand; a last
// line without an end is marked "\ No newline at end of file".
//
// False when out refused a piece, or a text ended before the script did.
bool writeUnifiedDiff(const EditScript& script, const TextSource& before, const TextSource& after,
                      std::string_view beforeLabel, std::string_view afterLabel, std::size_t context,
                      const TextSink& out);
