"""The serial trials in the guest: tervalink-frames on Linux's own 8250 and ftdi_sio drivers."""

import json
import os
import re
import subprocess
import sys

from guest import FTDI_SERIAL, SOURCE, Guest, Skip, main

# AUTO SYMBOL, the shortest update (ten frames, 20.5 s), with the rates of the sample data file.
RATES = (27500, 22000, 29900, 30000, 28000, 29700, 24500, 25000, 23000, 29950)
AUTO_SYMBOL = "--choice 13 " + " ".join(f"--set auto:{k}={rate}" for k, rate in enumerate(RATES))
SEND_BOTH = f'tervalink-frames send "COM 1" "COM 100" {AUTO_SYMBOL}'
# The pause's bounds at the host: QEMU's TCG and the host's socket add a few ms either way.
EARLY, LATE = 0.005, 0.025


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


def planned(program):
    """The frames `tervalink-frames plan` gives on the host: (tick, bytes) each."""
    plan = subprocess.run([program, "plan", *AUTO_SYMBOL.split()], capture_output=True,
                          text=True, check=True).stdout.splitlines()
    return [(int(line.split()[0]), bytes.fromhex("".join(line.split()[1:])))
            for line in plan if not line.startswith("end ")]


def frame_arrivals(stream, frames):
    """The host's arrival time of the first byte of each frame, walking the stream's chunks."""
    starts, offset, at = [], 0, 0
    for stamp, data in stream.chunks():
        while len(starts) < len(frames) and at < offset + len(data):
            starts.append(stamp)
            at += len(frames[len(starts) - 1][1])
        offset += len(data)
    return starts


def check_pauses(name, stream, frames):
    """A frame the host got late (TCG hands on the guest's bytes in batches) lengthens the pause
    before it and shortens the one after by as much: a pause counts as early only beyond that."""
    arrivals = frame_arrivals(stream, frames)
    errors = [(b - a) - (frames[i + 1][0] - frames[i][0]) / 100
              for i, (a, b) in enumerate(zip(arrivals, arrivals[1:]))]
    print(f"{name}: {len(errors)} pauses, {min(errors) * 1000:+.1f} .. "
          f"{max(errors) * 1000:+.1f} ms of nominal")
    excused = [0.0] + [max(0.0, error) for error in errors[:-1]]
    assert all(-EARLY <= error + late_before and error <= LATE
               for error, late_before in zip(errors, excused)), f"{name}: pause errors {errors}"


def send(program):
    frames = planned(program)
    with Guest(program) as guest:
        status, lines, _ = guest.run(SEND_BOTH + " --quiet", timeout=120)
        assert status == 0, f"send ended with status {status}: {texts(guest.errors())}"
        assert texts(lines) == ["COM 1 (/dev/ttyS0): completed, 1 update, 10 frames",
                                "COM 100 (/dev/ttyUSB0): completed, 1 update, 10 frames"], texts(lines)
        for name in ("uart", "ftdi"):
            assert guest.streams[name].data() == joined(frames), name
            check_pauses(name, guest.streams[name], frames)


def joined(frames):
    return b"".join(frame for _, frame in frames)


def cut_at(frames, got):
    """How many whole frames got starts with, and the bytes of the next that follow them."""
    whole = 0
    while whole < len(frames) and got.startswith(joined(frames[:whole + 1])):
        whole += 1
    return whole, got[len(joined(frames[:whole])):]


def unplug(program):
    frames = planned(program)
    with Guest(program) as guest:
        guest.start(SEND_BOTH + " --quiet")
        ftdi = guest.streams["ftdi"]
        assert ftdi.wait_for(lambda s: len(s.data()) >= 2 * 24, 30), "no frames on the FTDI"
        guest.qmp("device_del", id="ftdi")
        status, lines, _ = guest.wait(120)
        assert status == 4, f"send ended with status {status}"
        assert guest.streams["uart"].data() == joined(frames)
        whole, cut = cut_at(frames, ftdi.data())
        assert whole >= 2 and frames[whole][1].startswith(cut), f"not frames: {ftdi.data()}"
        gone = "the device has gone (unplugged?)"
        failure = (f"COM 100 (/dev/ttyUSB0) took {len(cut)} of the frame's 24 bytes; the antenna "
                   f"unit received a cut frame: {gone}" if cut else
                   f"Cannot send to COM 100 (/dev/ttyUSB0): {gone}")
        # The line finds the unplug in the pause after its last frame or at the next write:
        # the repetition of the one or of the other.
        assert texts(lines) in ([
            "COM 1 (/dev/ttyS0): completed, 1 update, 10 frames",
            f"COM 100 (/dev/ttyUSB0): failed in update 1 of 1, AUTO SYMBOL, repetition "
            f"{repetition} of 5 after {whole} frames: {failure}"]
            for repetition in {(whole - 1) // 2 + 1, whole // 2 + 1}), texts(lines)
        assert texts(guest.errors()) == [failure], texts(guest.errors())


def reconnect(program):
    """Unplugged mid-update, the same adapter comes back on another hub port and device name:
    the host receives the cut repetition again from its first frame, then the rest."""
    frames = planned(program)
    with Guest(program) as guest:
        guest.start(f'tervalink-frames send "COM 100" {AUTO_SYMBOL} --quiet --reconnect 60')
        ftdi = guest.streams["ftdi"]
        assert ftdi.wait_for(lambda s: len(s.data()) >= 3 * 24, 30), "no frames on the FTDI"
        guest.qmp("device_del", id="ftdi")
        gone = "COM 100 (/dev/ttyUSB0): adapter gone; waiting up to 60 s for it to come back"
        assert guest.streams["errors"].wait_for(
            lambda s: gone in texts(s.lines()), 30), texts(guest.errors())
        before = len(ftdi.data())  # all that the line sent before the unplug
        guest.qmp("device_add", driver="usb-serial", id="ftdi2", chardev="ftdi", bus="xhci.0",
                  port="2", serial=FTDI_SERIAL)
        status, lines, _ = guest.wait(120)
        assert status == 0, f"send ended with status {status}: {texts(guest.errors())}"
        whole, cut = cut_at(frames, ftdi.data()[:before])
        resumed = ftdi.data()[before:]
        # Two frames a repetition. The line finds the unplug at a write, or in the pause after a
        # repetition's last frame: the repetition it resumes at is the cut one, or the next.
        start = next((start for start in range(0, len(frames), 2)
                      if joined(frames[start:]) == resumed), None)
        assert start is not None, f"not a repetition and the rest after the return: {resumed}"
        assert (start <= whole < start + 2 and frames[whole][1].startswith(cut)
                or whole == start + 2 and not cut), f"resumed at {start} after {whole} frames"
        assert len(lines) == 1 and re.fullmatch(
            r"COM 100 \(/dev/ttyUSB\d\): completed, after 1 reconnect, 1 update, "
            f"{whole + len(frames) - start} frames", lines[0][1]), texts(lines)
        assert texts(guest.errors())[0] == gone, texts(guest.errors())


# The host reads the 16550's first frame and then no more; a second opener fills the tty's queue
# during the first pause and leaves, so the send's own close is the port's last.
STALLED = (f'tervalink-frames send "COM 1" {AUTO_SYMBOL} --quiet & send=$!; sleep 0.5; '
           'cat /dev/zero >/dev/ttyS0 & filler=$!; sleep 0.5; kill $filler; ')


def run_stalled(program, then):
    """The guest (closed; its streams stay) and guest.run's result for STALLED followed by then."""
    with Guest(program) as guest:
        guest.streams["uart"].stop_reading_after(24)
        return guest, guest.run(STALLED + then, timeout=120)


def stall(program):
    guest, (status, _, ended) = run_stalled(program, "wait $send")
    assert status == 4, f"send ended with status {status}"
    first_frame = guest.streams["uart"].chunks()[0][0]
    bound_ran_out = first_frame + 1.5 + 0.1  # the second frame's write, then its bound
    failure = "Cannot send to COM 1 (/dev/ttyS0): the device took no data for 100 ms; check " \
              "the adapter and its cable"
    reported = [stamp for stamp, text in guest.errors() if text == failure]
    assert reported, f"no stall reported: {texts(guest.errors())}"
    late, ending = reported[0] - bound_ran_out, ended - reported[0]
    assert late <= 2, f"the stall was reported {late:.2f} s after the bound ran out"
    assert ending <= 2, f"the process ended {ending:.2f} s after its failure"


def interrupt_stall(program):
    _, (status, lines, ended) = run_stalled(program, "echo @@sigint; kill -INT $send; wait $send")
    assert status == 130, f"send ended with status {status}"
    signalled = [stamp for stamp, text in lines if text == "@@sigint"][0]
    assert ended - signalled <= 2, f"the process ended {ended - signalled:.2f} s after SIGINT"


# The page in the host's Chromium, run in the guest from the host's root; a serial policy grants
# the FTDI to the page's origin, as an administrator would, since no automation answers the chooser.
WEB_PORT = 8123
WEB_POLICY = json.dumps({"SerialAllowUsbDevicesForUrls": [{
    "devices": [{"vendor_id": 0x0403, "product_id": 0x6001}],
    "urls": [f"http://127.0.0.1:{WEB_PORT}"]}]})
WEB_POLICIES = "/host/etc/chromium/policies/managed"


def web(program):
    """An update from the page through Chromium's own Web Serial and the guest's ftdi_sio: the
    host receives the plan's bytes. The page's pauses are checked on its tests' virtual clock."""
    site = os.environ.get("TERVALINK_WEB_SITE", os.path.join(SOURCE, "build", "web"))
    for path in (site, "/usr/bin/chromium"):
        if not os.path.exists(path):
            raise Skip(f"no {path} (the wasm preset builds the site; Debian's chromium)")
    frames = planned(program)
    with Guest(program, host_root=True) as guest:
        status, lines, _ = guest.run(
            f"mount -t tmpfs policies /host/etc/chromium && mkdir -p {WEB_POLICIES} && "
            f"echo '{WEB_POLICY}' >{WEB_POLICIES}/tervalink.json && chroot /host env PATH=/usr/bin "
            f"HOME=/run/scratch TMPDIR=/run/scratch TERVALINK_WEB_SITE={site} TERVALINK_WEB_PORT={WEB_PORT} "
            f"TERVALINK_WEB_SLOW=10 node --no-warnings {SOURCE}/tests/web/web_test.mjs real_port",
            timeout=900)
        assert status == 0, "the page's update failed:\n" + "\n".join(
            texts(lines) + texts(guest.errors())[-20:])
        got = guest.streams["ftdi"].data()
        assert got == joined(frames), f"the FTDI received other bytes than the plan: {got.hex()}"


if __name__ == "__main__":
    sys.exit(main(globals()))  # the trials by their functions' names
