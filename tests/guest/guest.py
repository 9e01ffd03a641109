"""A QEMU guest with one 16550 and one FTDI, each on a host socket, for the serial trials.

The guest runs Debian's kernel on TCG from the initramfs that scripts/guest writes; its console
(hvc0: commands and their output, hvc1: their standard error) and QEMU's monitor (QMP) are
sockets of their own, never the ports under test. Every socket is read on a thread of its own,
each chunk stamped with the host's monotonic clock when it arrived.
"""

import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

SKIP = 77  # the trials' SKIP_RETURN_CODE
HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
FTDI_SERIAL = "TL2K0001"
# The host's root at /host, for a chroot: with the guest's own /proc, /sys, /dev and udev
# database (/run), a tmpfs on /dev/shm, /run/scratch for what programs write (TMPDIR and HOME:
# the host's /tmp stays as it is, since the source tree may live there), and loopback.
HOST_ROOT = ("modprobe -a 9p 9pnet_virtio && mkdir -p /host /dev/shm && mount -t 9p -o "
             "trans=virtio,version=9p2000.L,msize=512000,cache=loose host /host && mount -t proc "
             "proc /host/proc && mount --rbind /sys /host/sys && mount --bind /dev /host/dev && "
             "mount -t tmpfs shm /host/dev/shm && mkdir -p /run/scratch && "
             "mount --bind /run /host/run && ip link set lo up")


class Skip(Exception):
    """The guest cannot run here; the reason says why."""


class Stream:
    """What one socket delivered, as (arrival time, bytes) chunks."""

    def __init__(self, connection):
        self._connection = connection
        self._chunks = []
        self._changed = threading.Condition()
        self._limit = None  # total bytes after which the host stops reading: a stalled device
        threading.Thread(target=self._read, daemon=True).start()

    def stop_reading_after(self, count):
        with self._changed:
            self._limit = count

    def _read(self):
        while True:
            with self._changed:
                room = None if self._limit is None else self._limit - self._total()
            if room == 0:
                return
            try:
                data = self._connection.recv(4096 if room is None else min(room, 4096))
            except OSError:
                data = b""
            with self._changed:
                self._chunks.append((time.monotonic(), data))
                self._changed.notify_all()
            if not data:
                return

    def _total(self):
        return sum(len(data) for _, data in self._chunks)

    def chunks(self):
        with self._changed:
            return [chunk for chunk in self._chunks if chunk[1]]

    def data(self):
        return b"".join(data for _, data in self.chunks())

    def lines(self):
        """(arrival time of its end, text) of each whole line."""
        lines, pending = [], b""
        for stamp, data in self.chunks():
            pending += data
            while b"\n" in pending:
                line, pending = pending.split(b"\n", 1)
                lines.append((stamp, line.decode(errors="replace").rstrip("\r")))
        return lines

    def wait_for(self, test, timeout):
        """Waits until test(self) holds; False when timeout seconds pass first."""
        deadline = time.monotonic() + timeout
        with self._changed:
            while not test(self):
                left = deadline - time.monotonic()
                if left <= 0 or (self._chunks and not self._chunks[-1][1]):
                    return test(self)
                self._changed.wait(left)
            return True


class Guest:
    """Boots the guest; runs commands in it; reads its ports; speaks QEMU's monitor."""

    def __init__(self, program, ftdi_serial=FTDI_SERIAL, host_root=False):
        qemu = shutil.which("qemu-system-x86_64")
        if qemu is None:
            raise Skip("qemu-system-x86_64 is not installed (qemu-system-x86)")
        self._dir = tempfile.mkdtemp(prefix="tervalink-guest-")
        initramfs = os.path.join(self._dir, "initramfs.cpio")
        built = subprocess.run(
            [os.path.join(SOURCE, "scripts", "guest"), program, os.path.join(HERE, "init"),
             initramfs], capture_output=True, text=True)
        if built.returncode != 0:
            raise Skip("the guest could not be built: " + built.stderr.strip()[-500:])
        kernel = os.path.join(built.stdout.strip(), "vmlinux")
        names = ("console", "errors", "uart", "ftdi", "monitor")
        listeners = {}
        for name in names:
            listeners[name] = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            listeners[name].bind(self.path(name))
            listeners[name].listen(1)
            listeners[name].settimeout(30)
        chardevs = [arg for name in names
                    for arg in ("-chardev", f"socket,id={name},path={self.path(name)}")]
        # host_root: the host's file system, read-only, as 9p's "host" (multidevs: its mounts
        # apart), for programs too big for the initramfs; the memory Chromium needs, and a current
        # machine's instruction sets (qemu64 has no SSSE3 or SSE4) for its usual code paths.
        shared = ["-m", "3072", "-cpu", "max",
                  "-fsdev", "local,id=host,path=/,security_model=none,readonly=on,multidevs=remap",
                  "-device", "virtio-9p-pci,fsdev=host,mount_tag=host"]
        # 8250.nr_uarts=1: the one 16550 the machine has, without the phantom legacy ttyS1-3.
        self._qemu = subprocess.Popen(
            [qemu, "-accel", "tcg", *(shared if host_root else ["-m", "512"]),
             "-nodefaults", "-no-user-config",
             "-display", "none", "-kernel", kernel, "-initrd", initramfs,
             "-append", "console=hvc0 8250.nr_uarts=1 quiet", *chardevs,
             "-device", "virtio-serial-pci",
             "-device", "virtconsole,chardev=console", "-device", "virtconsole,chardev=errors",
             "-device", "isa-serial,chardev=uart",
             "-device", "qemu-xhci,id=xhci",
             "-device", f"usb-serial,id=ftdi,chardev=ftdi,bus=xhci.0,port=1,serial={ftdi_serial}",
             "-mon", "chardev=monitor,mode=control"],
            stdin=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            self.streams = {name: Stream(listeners[name].accept()[0]) for name in names}
        except socket.timeout:
            self.close()
            raise Skip("QEMU did not start: " + self._qemu.stderr.read().decode()[-500:])
        self._monitor = self.streams["monitor"]
        self._monitor_seen = 0
        self._commands_done = 0
        try:
            self._reply()  # QMP's greeting
            self.qmp("qmp_capabilities")
            if not self.console.wait_for(lambda s: any(t == "@@ready" for _, t in s.lines()),
                                         120):
                raise RuntimeError("the guest did not boot:\n" + self.console.data().decode())
            if host_root and self.run(HOST_ROOT)[0] != 0:
                raise RuntimeError(f"the host's root is not at /host: {self.errors()}")
        except BaseException:
            self.close()  # no QEMU left running behind a failed boot
            raise

    def path(self, name):
        return os.path.join(self._dir, name + ".sock")

    @property
    def console(self):
        return self.streams["console"]

    def start(self, command):
        """Starts a shell command in the guest; its output goes to the console's streams."""
        self.streams["console"]._connection.sendall(command.encode() + b"\n")

    def wait(self, timeout):
        """Waits for the started command; gives its status and its output lines (time, text)."""
        def done(stream):
            return sum(t.startswith("@@rc ") for _, t in stream.lines()) > self._commands_done
        if not self.console.wait_for(done, timeout):
            raise RuntimeError(f"the guest's command did not end within {timeout} s")
        lines = [line for line in self.console.lines() if line[1] != "@@ready"]
        ends = [i for i, (_, t) in enumerate(lines) if t.startswith("@@rc ")]
        first = ends[self._commands_done - 1] + 1 if self._commands_done else 0
        last = ends[self._commands_done]
        self._commands_done += 1
        return int(lines[last][1].split()[1]), lines[first:last], lines[last][0]

    def run(self, command, timeout=60):
        self.start(command)
        return self.wait(timeout)

    def errors(self):
        """The lines of standard error of every command so far, with their arrival times."""
        return self.streams["errors"].lines()

    def qmp(self, execute, **arguments):
        message = {"execute": execute}
        if arguments:
            message["arguments"] = arguments
        self._monitor._connection.sendall(json.dumps(message).encode() + b"\n")
        reply = self._reply()
        if "error" in reply:
            raise RuntimeError(f"QEMU refused {execute}: {reply['error']}")
        return reply

    def _reply(self):
        """The monitor's next reply, past the events before it."""
        while True:
            if not self._monitor.wait_for(lambda s: len(s.lines()) > self._monitor_seen, 30):
                raise RuntimeError("QEMU's monitor did not answer")
            _, text = self._monitor.lines()[self._monitor_seen]
            self._monitor_seen += 1
            message = json.loads(text)
            if "event" not in message:
                return message

    def close(self):
        if self._qemu.poll() is None:
            self._qemu.kill()
        self._qemu.wait()
        shutil.rmtree(self._dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def main(trials):
    """Runs the trial named on the command line: trials[name](program); status 77 to skip."""
    name, program = sys.argv[1], os.path.abspath(sys.argv[2])
    try:
        trials[name](program)
    except Skip as skip:
        print("SKIPPED:", skip)
        return SKIP
    except AssertionError as failure:
        print("FAILED:", failure)
        return 1
    print("PASSED")
    return 0
