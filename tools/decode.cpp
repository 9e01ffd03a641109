#include "decode.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <ostream>

#include "console.h"
#include "exit_codes.h"
#include "frame_decoder.h"

namespace tervalink::frames_tool {
namespace {

void print(const std::vector<DecodedFrame>& frames, std::ostream& out)
{
    for (const DecodedFrame& frame : frames)
        out << describe_frame(frame) << '\n';
}

std::string error_text() { return std::strerror(errno); }

} // namespace

bool decode_stream(std::istream& in, std::ostream& out)
{
    FrameDecoder decoder;
    std::array<char, 4096> chunk{};
    while (in.read(chunk.data(), chunk.size()) || in.gcount() > 0) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(chunk.data());
        print(decoder.feed(std::span(bytes, static_cast<std::size_t>(in.gcount()))), out);
    }
    print(decoder.finish(), out);
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
    std::ifstream file(*args.path, std::ios::binary);
    if (!file) {
        err << "Cannot open " << *args.path << ": " << error_text() << '\n';
        return exit_input_unreadable;
    }
    if (decode_stream(file, out))
        return exit_done;
    err << "Reading " << *args.path << " failed: " << error_text()
        << "; the lines above cover the bytes read before the failure\n";
    return exit_input_unreadable;
}

} // namespace tervalink::frames_tool
