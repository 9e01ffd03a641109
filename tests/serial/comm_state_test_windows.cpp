// serial/comm_state on Windows: the port's device-control block is made whole whatever was left
// in it.
#include <gtest/gtest.h>

#include "comm_state_windows.h"

namespace tervalink {
namespace {

// Every field the line depends on, from a zeroed block and from one another program left behind
// (9600 7E2, every kind of flow control and error handling on, XON equal to XOFF); the driver's
// own event and end-of-file characters stay.
TEST(CommState, SetsEveryFieldTheLineDependsOn)
{
    DCB left{};
    left.DCBlength = 12;
    left.BaudRate = CBR_9600;
    left.ByteSize = 7;
    left.Parity = EVENPARITY;
    left.StopBits = TWOSTOPBITS;
    left.fParity = left.fOutxCtsFlow = left.fOutxDsrFlow = left.fDsrSensitivity = TRUE;
    left.fOutX = left.fInX = left.fErrorChar = left.fNull = left.fAbortOnError = TRUE;
    left.fTXContinueOnXoff = FALSE;
    left.fDtrControl = DTR_CONTROL_HANDSHAKE;
    left.fRtsControl = RTS_CONTROL_TOGGLE;
    left.wReserved = 7;
    left.XonChar = left.XoffChar = 0x11;
    left.XonLim = left.XoffLim = 0;
    left.EofChar = 0x1A;
    left.EvtChar = 0x7E;
    for (const DCB& previous : {DCB{}, left}) {
        const DCB state = antenna_line_state(previous);
        const std::pair<const char*, unsigned long> fields[] = {
            {"DCBlength", state.DCBlength},        {"BaudRate", state.BaudRate},
            {"ByteSize", state.ByteSize},          {"Parity", state.Parity},
            {"StopBits", state.StopBits},          {"fBinary", state.fBinary},
            {"fParity", state.fParity},            {"fOutxCtsFlow", state.fOutxCtsFlow},
            {"fOutxDsrFlow", state.fOutxDsrFlow},  {"fDtrControl", state.fDtrControl},
            {"fDsrSensitivity", state.fDsrSensitivity}, {"fTXContinueOnXoff", state.fTXContinueOnXoff},
            {"fOutX", state.fOutX},                {"fInX", state.fInX},
            {"fErrorChar", state.fErrorChar},      {"fNull", state.fNull},
            {"fRtsControl", state.fRtsControl},    {"fAbortOnError", state.fAbortOnError},
            {"wReserved", state.wReserved},        {"XonLim", state.XonLim},
            {"XoffLim", state.XoffLim},            {"XonChar", static_cast<unsigned char>(state.XonChar)},
            {"XoffChar", static_cast<unsigned char>(state.XoffChar)}};
        const unsigned long expected[] = {28, 57600, 8, 0, 0, 1, 0, 0, 0, 1, 0, 1,
                                          0,  0,     0, 0, 1, 0, 0, 2048, 512, 0x11, 0x13};
        for (std::size_t i = 0; i < std::size(fields); ++i)
            EXPECT_EQ(fields[i].second, expected[i]) << fields[i].first << " from " << previous.BaudRate;
        EXPECT_EQ(state.EofChar, previous.EofChar);
        EXPECT_EQ(state.EvtChar, previous.EvtChar);
    }
}

} // namespace
} // namespace tervalink
