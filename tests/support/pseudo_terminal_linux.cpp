#include "pseudo_terminal_linux.h"

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <array>
#include <stdexcept>

namespace tervalink::test {

PseudoTerminal::PseudoTerminal()
{
    int slave = -1;
    std::array<char, 256> name{};
    if (::openpty(&master_, &slave, name.data(), nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    // The slave stays reachable by its path; keeping it open here would hide the program's own
    // open and close from the test.
    ::close(slave);
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    slave_path_ = name.data();
}

PseudoTerminal::~PseudoTerminal()
{
    close_master();
}

std::vector<std::uint8_t> PseudoTerminal::read_available()
{
    std::vector<std::uint8_t> received;
    std::array<std::uint8_t, 4096> chunk{};
    ssize_t count = 0;
    while ((count = ::read(master_, chunk.data(), chunk.size())) > 0)
        received.insert(received.end(), chunk.begin(), chunk.begin() + count);
    return received;
}

void PseudoTerminal::close_master()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

} // namespace tervalink::test
