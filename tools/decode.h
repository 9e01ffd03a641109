#pragma once

#include <iosfwd>

#include "arguments.h"

namespace tervalink::frames_tool {

// Splits the byte stream into frames and writes one line per frame, stray run or cut-off tail.
// Returns false when reading stopped on an error before the end of the stream.
bool decode_stream(std::istream& in, std::ostream& out);

// Decodes the named capture, or `in` when no path was given; gives the exit status.
int run_decode(const DecodeArguments& args, std::istream& in, std::ostream& out,
               std::ostream& err);

} // namespace tervalink::frames_tool
