#pragma once

#include <memory>

namespace tervalink {

// While it lives, std::cout and std::cerr reach a console in every letter. Windows' console
// shows UTF-8 bytes in its own code page (the OEM page; in 850 "├ñ" for "ä"), so on a console the
// text goes out as UTF-16; a file or pipe keeps the UTF-8 bytes as they are. On Linux the
// terminal takes UTF-8 itself and nothing changes. Made at the start of main, after the program
// has its console.
class ConsoleText {
public:
    ConsoleText();
    ~ConsoleText();
    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;

private:
    struct Writers; // the system's side
    std::unique_ptr<Writers> writers_;
};

} // namespace tervalink
