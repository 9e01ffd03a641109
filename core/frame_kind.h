#pragma once

namespace tervalink {

// What a run of bytes on the line is: the four frames an update sends, and what a reader of the
// line can meet besides them.
enum class FrameKind {
    tp,             // "#S", 15 bytes, slot and row in bytes 2 and 3
    tagged_tp,      // "#S" with the tag pair in bytes 2 and 3
    autosym,        // "#B", 24 bytes, ten rates
    tagged_autosym, // "#B" with the tag pair in place of rate 0
    untyped,        // a start marker at the very end of the stream, its type byte never came
    stray,          // bytes outside any frame
};

} // namespace tervalink
