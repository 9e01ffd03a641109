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
        self._given = 0  # how many whole lines read_until has given
        threading.Thread(target=self._read, daemon=True).start()

    def stop_reading_after(self, count):
        with self._changed:
            self._limit = count

    def _read(self):
        while True:
            with self._changed:
                room = 4096 if self._limit is None else min(4096, self._limit - len(self.data()))
            if room == 0:
                return
            try:
                data = self._connection.recv(room)
            except OSError:
                data = b""
            with self._changed:
                self._chunks.append((time.monotonic(), data))
                self._changed.notify_all()
            if not data:
                return

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

    def read_until(self, test, timeout, failure):
        """The whole lines past those read before, through the first whose text passes test."""
        def end(stream):
            lines = stream.lines()
            return next((i for i in range(self._given, len(lines)) if test(lines[i][1])), None)
        if not self.wait_for(lambda s: end(s) is not None, timeout):
            raise RuntimeError(f"{failure}:\n{self.data().decode(errors='replace')}")
        first, self._given = self._given, end(self) + 1
        return self.lines()[first:self._given]

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

    def __init__(self, program, host_root=False):
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
        paths = {name: os.path.join(self._dir, name + ".sock") for name in names}
        listeners = {name: socket.create_server(paths[name], family=socket.AF_UNIX, backlog=1)
                     for name in names}
        for listener in listeners.values():
            listener.settimeout(30)
        chardevs = [arg for name in names
                    for arg in ("-chardev", f"socket,id={name},path={paths[name]}")]
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
             "-device", f"usb-serial,id=ftdi,chardev=ftdi,bus=xhci.0,port=1,serial={FTDI_SERIAL}",
             "-mon", "chardev=monitor,mode=control"],
            stdin=subprocess.DEVNULL, stderr=subprocess.PIPE)
        try:
            self.streams = {name: Stream(listeners[name].accept()[0]) for name in names}
        except socket.timeout:
            self.close()
            raise Skip("QEMU did not start: " + self._qemu.stderr.read().decode()[-500:])
        try:
            self._reply()  # QMP's greeting
            self.qmp("qmp_capabilities")
            self.streams["console"].read_until(lambda text: text == "@@ready", 120,
                                               "the guest did not boot")
            if host_root and self.run(HOST_ROOT)[0] != 0:
                raise RuntimeError(f"the host's root is not at /host: {self.errors()}")
        except BaseException:
            self.close()  # no QEMU left running behind a failed boot
            raise

    def start(self, command):
        """Starts a shell command in the guest; its output goes to the console's streams."""
        self.streams["console"]._connection.sendall(command.encode() + b"\n")

    def wait(self, timeout):
        """Waits for the started command; gives its status, output lines (time, text) and end."""
        lines = self.streams["console"].read_until(
            lambda text: text.startswith("@@rc "), timeout,
            f"the guest's command did not end within {timeout} s")
        return int(lines[-1][1].split()[1]), lines[:-1], lines[-1][0]

    def run(self, command, timeout=60):
        self.start(command)
        return self.wait(timeout)

    def errors(self):
        """The lines of standard error of every command so far, with their arrival times."""
        return self.streams["errors"].lines()

    def qmp(self, execute, **arguments):
        message = {"execute": execute, "arguments": arguments}
        self.streams["monitor"]._connection.sendall(json.dumps(message).encode() + b"\n")
        reply = self._reply()
        if "error" in reply:
            raise RuntimeError(f"QEMU refused {execute}: {reply['error']}")
        return reply

    def _reply(self):
        """The monitor's next reply, past the events before it."""
        lines = self.streams["monitor"].read_until(lambda text: "event" not in json.loads(text),
                                                   30, "QEMU's monitor did not answer")
        return json.loads(lines[-1][1])

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
    """Runs the trial named on the command line: trials[name](program); 77 to skip, 1 to fail."""
    try:
        trials[sys.argv[1]](os.path.abspath(sys.argv[2]))
    except Skip as skip:
        print("SKIPPED:", skip)
        return SKIP
    return 0
