#!/usr/bin/env python3
"""The Windows window as a user drives it: tervalink.exe under Wine on a virtual X server (Xvfb),
with "COM 107" mapped onto a pseudo-terminal whose far end this script reads. The mouse and the
keyboard (xdotool) fill in the AUTO SYMBOL table, type "COM 107", press CONNECT, then UPDATE. The
script checks the frames at the far end byte for byte and prints each pause's error.

    bench/window_update_wine.py [BUILD_DIR]     (default build/windows, built with --window)

Exit status 0 when the bytes are exact, 1 when they are not, 2 when the run could not be made.
"""
import os
import select
import shutil
import subprocess
import sys
import threading
import time
import tty

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build/windows"))
PREFIX = os.path.join(BUILD, "wine-prefix")
PROGRAM = os.path.join(BUILD, "app", "tervalink.exe")

RATES = ["27500", "22000", "30000", "29900", "27000", "28000", "25000", "23000", "6111", "5000"]
# The AUTO SYMBOL frame, untagged then tagged, five times each.
UNTAGGED = bytes.fromhex("23426c6bf0553075cc747869606da861d859df178813582a")
TAGGED = bytes.fromhex("23421437f0553075cc747869606da861d859df1788137c2a")
EXPECTED = (UNTAGGED + TAGGED) * 5
PAUSES_MS = [1500, 2200, 1500, 2400, 1500, 2600, 1500, 2800, 1500]
FRAME = 24

# Client coordinates of the controls, from the window's layout (docs/window-windows.png).
PORT_BOX = (95, 42)
AUTO_SYMBOL_OPTION = (983, 400)
RATE_BOXES = [(1011 + 60 * (i % 5), 433 + 40 * (i // 5)) for i in range(10)]
CONNECT = (500, 40)
UPDATE = (592, 40)


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


def start_display():
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1400x1024x24"],
                              pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = os.read(read_end, 16).decode().strip()
    os.close(read_end)
    return server, ":" + number


def far_end_port():
    master, slave = os.openpty()
    tty.setraw(slave)
    link = os.path.join(PREFIX, "dosdevices", "com107")
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(os.ttyname(slave), link)
    return master, slave, link


def drive(env):
    deadline = time.monotonic() + 60
    while True:
        found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Tervalink V"],
                               env=env, capture_output=True, text=True).stdout.split()
        if found or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    if not found:
        raise RuntimeError("the window did not appear within 60 s")
    window = found[0]
    time.sleep(1)  # the first paint
    geometry = dict(line.split("=") for line in run("xdotool", "getwindowgeometry", "--shell",
                                                       window, env=env).split())
    left, top = int(geometry["X"]), int(geometry["Y"])

    def click(point):
        run("xdotool", "mousemove", "--sync", str(left + point[0]), str(top + point[1]), "click", "1",
            env=env)
        time.sleep(0.2)

    def type_into(point, text):
        click(point)
        run("xdotool", "key", "ctrl+a", "type", "--delay", "30", text, env=env)

    type_into(PORT_BOX, "COM 107")
    click(AUTO_SYMBOL_OPTION)
    for point, rate in zip(RATE_BOXES, RATES):
        type_into(point, rate)
    click(CONNECT)
    time.sleep(1)
    click(UPDATE)


def read_frames(master, deadline):
    arrivals, data = [], b""
    while len(data) < len(EXPECTED) and time.monotonic() < deadline:
        if select.select([master], [], [], 0.05)[0]:
            chunk = os.read(master, 4096)
            now = time.monotonic()
            arrivals += [now for offset in range(len(data), len(data) + len(chunk))
                         if offset % FRAME == 0]
            data += chunk
    return data, arrivals


def main():
    for tool, package in (("xdotool", "xdotool"), ("Xvfb", "xvfb"), ("wine", "wine")):
        if shutil.which(tool) is None:
            print(f"{tool} is missing: apt-get install {package}", file=sys.stderr)
            return 2
    if not os.path.exists(PROGRAM):
        print(f"No {PROGRAM}: build it with ./scripts/windows --window", file=sys.stderr)
        return 2
    subprocess.run([os.path.join(ROOT, "scripts/wine-test"), "--prepare-for-display"], cwd=BUILD,
                   check=True)
    server, display = start_display()
    env = dict(os.environ, DISPLAY=display, WINEPREFIX=PREFIX, WINEDEBUG="-all")
    master, slave, link = far_end_port()
    window = subprocess.Popen(["wine", PROGRAM], env=env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    received = {}
    # Read from the start, so that each frame is timed as it arrives, whatever the driving does.
    reader = threading.Thread(target=lambda: received.update(
        zip(("data", "arrivals"), read_frames(master, time.monotonic() + 120))), daemon=True)
    reader.start()
    try:
        drive(env)
        reader.join()
        data, arrivals = received["data"], received["arrivals"]
    finally:
        window.kill()
        subprocess.run(["wineserver", "-k"], env=env)
        server.terminate()
        os.remove(link)
        os.close(master)
        os.close(slave)
    if data != EXPECTED:
        print(f"FAIL: {len(data)} bytes at the far end, not the {len(EXPECTED)} expected:\n"
              f"  got      {data.hex()}\n  expected {EXPECTED.hex()}")
        return 1
    errors = [(arrivals[i + 1] - arrivals[i]) * 1000 - pause for i, pause in enumerate(PAUSES_MS)]
    print(f"{len(EXPECTED)} bytes byte-exact at the far end; pause errors (ms): " +
          " ".join(f"{error:+.2f}" for error in errors) +
          f"; min {min(errors):+.2f}, max {max(errors):+.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
