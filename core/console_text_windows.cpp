#include "console_text.h"

#include <io.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <streambuf>
#include <string_view>

#include "text.h"
#include "wide_text_windows.h"

namespace tervalink {
namespace {

// A stream buffer that hands whole characters to the console as UTF-16. A character whose bytes
// are split across two flushes waits in the buffer for the rest of its bytes.
class ConsoleWriter : public std::streambuf {
public:
    explicit ConsoleWriter(HANDLE console) : console_(console) { reset(0); }
    ~ConsoleWriter() override
    {
        write_whole_characters();
        write(std::string_view(pbase(), static_cast<std::size_t>(pptr() - pbase())));
    }
    ConsoleWriter(const ConsoleWriter&) = delete;
    ConsoleWriter& operator=(const ConsoleWriter&) = delete;

protected:
    int_type overflow(int_type c) override
    {
        if (!write_whole_characters())
            return traits_type::eof();
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override { return write_whole_characters() ? 0 : -1; }

private:
    bool write_whole_characters()
    {
        const std::string_view held(pbase(), static_cast<std::size_t>(pptr() - pbase()));
        const std::size_t whole = complete_utf8_length(held);
        const bool written = write(held.substr(0, whole));
        const std::size_t rest = held.size() - whole;
        std::memmove(buffer_.data(), held.data() + whole, rest);
        reset(rest);
        return written;
    }

    bool write(std::string_view utf8)
    {
        const std::wstring text = utf16_of(utf8);
        for (std::size_t at = 0; at < text.size();) {
            DWORD count = 0;
            if (!::WriteConsoleW(console_, text.data() + at, static_cast<DWORD>(text.size() - at),
                                 &count, nullptr) ||
                count == 0)
                return false;
            at += count;
        }
        return true;
    }

    void reset(std::size_t held)
    {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        pbump(static_cast<int>(held));
    }

    HANDLE console_;
    std::array<char, 4096> buffer_{};
};

// The handle the C runtime writes the stream to (after a window program's freopen of CONOUT$
// too), when it is a console.
HANDLE console_of(std::FILE* file)
{
    const auto handle = reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file)));
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// One stream switched to the console, and back when it goes.
class Redirection {
public:
    Redirection(std::ostream& stream, HANDLE console)
        : stream_(stream), writer_(console), previous_(stream.rdbuf())
    {
        stream_.flush();
        stream_.rdbuf(&writer_);
    }
    ~Redirection()
    {
        stream_.flush();
        stream_.rdbuf(previous_);
    }
    Redirection(const Redirection&) = delete;
    Redirection& operator=(const Redirection&) = delete;

private:
    std::ostream& stream_;
    ConsoleWriter writer_;
    std::streambuf* previous_;
};

} // namespace

struct ConsoleText::Writers {
    std::unique_ptr<Redirection> out;
    std::unique_ptr<Redirection> err;
};

ConsoleText::ConsoleText() : writers_(std::make_unique<Writers>())
{
    std::fflush(stdout);
    std::fflush(stderr);
    if (HANDLE console = console_of(stdout))
        writers_->out = std::make_unique<Redirection>(std::cout, console);
    if (HANDLE console = console_of(stderr))
        writers_->err = std::make_unique<Redirection>(std::cerr, console);
}

ConsoleText::~ConsoleText() = default;

} // namespace tervalink
