"""The serial trials in the guest: tervalink-frames on Linux's own 8250 and ftdi_sio drivers."""

import sys

from guest import Guest, main


def texts(lines):
    return [text for _, text in lines]


def ports(program):
    with Guest(program) as guest:
        status, lines, _ = guest.run("tervalink-frames ports")
        assert status == 0, f"ports ended with status {status}"
        assert texts(lines) == [
            "COM 1\t/dev/ttyS0\tSerial port\t",
            "COM 100\t/dev/ttyUSB0\tFuture Technology Devices International, Ltd FT232 Serial "
            "(UART) IC\tUSB 0403:6001 serial TL2K0001 at 1-1",
        ], texts(lines)
        assert guest.errors() == [], f"unexpected notes: {texts(guest.errors())}"


if __name__ == "__main__":
    sys.exit(main({"ports": ports}))
