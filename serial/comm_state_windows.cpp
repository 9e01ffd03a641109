#include "comm_state_windows.h"

namespace tervalink {

DCB antenna_line_state(const DCB& previous)
{
    DCB state = previous;
    state.DCBlength = sizeof state;
    state.BaudRate = CBR_57600;
    state.ByteSize = 8;
    state.Parity = NOPARITY;
    state.StopBits = ONESTOPBIT;
    state.fBinary = TRUE; // Windows supports nothing else
    state.fParity = FALSE;
    state.fErrorChar = FALSE;
    state.fNull = FALSE; // NUL is a byte of a frame like any other
    state.fAbortOnError = FALSE;
    state.fOutxCtsFlow = FALSE;
    state.fOutxDsrFlow = FALSE;
    state.fDsrSensitivity = FALSE;
    state.fDtrControl = DTR_CONTROL_ENABLE;
    state.fRtsControl = RTS_CONTROL_ENABLE;
    state.fOutX = FALSE;
    state.fInX = FALSE;
    state.fTXContinueOnXoff = TRUE;
    // Unused while XON/XOFF is off, but SetCommState refuses equal characters, and some drivers
    // check the limits against their buffers: the customary values.
    state.XonChar = 0x11;
    state.XoffChar = 0x13;
    state.XonLim = 2048;
    state.XoffLim = 512;
    state.wReserved = 0; // must be zero
    return state;
}

} // namespace tervalink
