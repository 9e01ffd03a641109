#include "decode.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <ostream>
#include <span>

#include "console_stops.h"
#include "exit_codes.h"
#include "frame_decoder.h"
#include "named_file.h"

namespace tervalink::frames_tool {
namespace {

void print(const std::vector<DecodedFrame>& frames, std::ostream& out)
{
    for (const DecodedFrame& frame : frames)
        out << describe_frame(frame) << '\n';
}

std::string error_text() { return std::strerror(errno); }

// Feeds the decoder what `read` puts into a chunk (its count of bytes; 0 at the end).
template <class Read> void decode_chunks(Read read, std::ostream& out)
{
    FrameDecoder decoder;
    std::array<char, 4096> chunk{};
    while (const std::size_t count = read(std::span(chunk))) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(chunk.data());
        print(decoder.feed(std::span(bytes, count)), out);
    }
    print(decoder.finish(), out);
}

} // namespace

bool decode_stream(std::istream& in, std::ostream& out)
{
    decode_chunks(
        [&in](std::span<char> chunk) {
            in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            return static_cast<std::size_t>(in.gcount());
        },
        out);
    return !in.bad();
}

int run_decode(const DecodeArguments& args, std::istream& in, std::ostream& out,
               std::ostream& err)
{
    if (!args.path) {
        if (&in == &std::cin)
            read_stdin_as_bytes();
        if (decode_stream(in, out))
            return exit_done;
        err << "Reading standard input failed: " << error_text() << '\n';
        return exit_input_unreadable;
    }
    std::string failure;
    const FileHandle file = open_named_file(*args.path, FileUse::read_bytes, failure);
    if (!file) {
        err << "Cannot open " << *args.path << ": " << failure << '\n';
        return exit_input_unreadable;
    }
    decode_chunks(
        [&file](std::span<char> chunk) {
            return std::fread(chunk.data(), 1, chunk.size(), file.get());
        },
        out);
    if (!std::ferror(file.get()))
        return exit_done;
    err << "Reading " << *args.path << " failed: " << error_text()
        << "; the lines above cover the bytes read before the failure\n";
    return exit_input_unreadable;
}

} // namespace tervalink::frames_tool
