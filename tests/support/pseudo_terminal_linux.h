#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tervalink::test {

// A pseudo-terminal standing in for the antenna unit: the program opens the slave as its serial
// device, the test holds the master as the far end of the line.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    const std::string& slave_path() const { return slave_path_; }
    int master_fd() const { return master_; }

    // Every byte the far end has received so far, without waiting.
    std::vector<std::uint8_t> read_available();
    // The far end hangs up.
    void close_master();

private:
    int master_ = -1;
    std::string slave_path_;
};

} // namespace tervalink::test
