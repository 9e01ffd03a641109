#!/usr/bin/env python3
"""The window as a user drives it on a virtual X server (Xvfb) of a given size and display
scaling, with "COM 107" on a pseudo-terminal whose far end this script reads. It checks that the
whole window is on the screen; then the mouse and the keyboard (xdotool) fill in the AUTO SYMBOL
table, type "COM 107", press CONNECT, then UPDATE, each where the window shows it at its scale.
The script checks the frames at the far end byte for byte and prints each pause's error.

    bench/window_update.py [--linux] [--screen WxH] [--scaling PERCENT] [BUILD_DIR]

Without --linux: tervalink.exe under Wine (BUILD_DIR build/windows, built with --window); the
scaling is the Wine prefix's dpi (LogPixels; a prefix of its own beside the tests' one). With
--linux: the Linux window (tervalink_window_probe of BUILD_DIR, build/normal) on Qt's X11 platform,
scaled by QT_SCALE_FACTOR, its devices in a folder of its own where ttyUSB7 is COM 107.

Exit status 0 when the bytes are exact, 1 when they are not, 2 when the run could not be made.
"""
import argparse
import os
import select
import shutil
import subprocess
import sys
import threading
import time
import tempfile
import tty

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

RATES = ["27500", "22000", "30000", "29900", "27000", "28000", "25000", "23000", "6111", "5000"]
# The AUTO SYMBOL frame, untagged then tagged, five times each.
UNTAGGED = bytes.fromhex("23426c6bf0553075cc747869606da861d859df178813582a")
TAGGED = bytes.fromhex("23421437f0553075cc747869606da861d859df1788137c2a")
EXPECTED = (UNTAGGED + TAGGED) * 5
PAUSES_MS = [1500, 2200, 1500, 2400, 1500, 2600, 1500, 2800, 1500]
FRAME = 24

# Client coordinates of the controls in the design's own size (docs/window.png); the window shows
# them times its scale.
DESIGN_WIDTH = 1288
PORT_BOX = (95, 42)
AUTO_SYMBOL_OPTION = (983, 400)
RATE_BOXES = [(1011 + 60 * (i % 5), 433 + 40 * (i // 5)) for i in range(10)]
CONNECT = (500, 40)
UPDATE = (592, 40)


def run(*command, **options):
    return subprocess.run(command, check=True, capture_output=True, text=True, **options).stdout


def start_display(screen):
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", screen + "x24"],
                              pass_fds=[write_end], stderr=subprocess.DEVNULL)
    os.close(write_end)
    # Read up to the newline: Xvfb may write the number and the newline apart, and dies when the
    # pipe is closed in between.
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_end, 16)
        if not chunk:
            raise RuntimeError("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return server, ":" + number.decode().strip()


def far_end_port(link):
    master, slave = os.openpty()
    tty.setraw(slave)
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(os.ttyname(slave), link)
    return master, slave


def wine_prefix(build, dpi):
    """The tests' prefix at 96 dpi; at another dpi, a prefix of its own with LogPixels set."""
    prefix = os.path.join(build, "wine-prefix" if dpi == 96 else f"wine-prefix-{dpi}dpi")
    env = dict(os.environ, TERVALINK_WINEPREFIX=prefix)
    if dpi != 96:
        env["TERVALINK_WINE_DPI"] = str(dpi)
    subprocess.run([os.path.join(ROOT, "scripts/wine-test"), "--prepare-for-display"], cwd=build,
                   env=env, check=True)
    return prefix


def drive(env, screen):
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
    width, height = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
    screen_width, screen_height = (int(n) for n in screen.split("x"))
    on_screen = left >= 0 and top >= 0 and left + width <= screen_width and \
        top + height <= screen_height
    print(f"window {width} x {height} at {left},{top} on the {screen} screen: " +
          ("all of it on the screen" if on_screen else "NOT all on the screen"))
    scale = width / DESIGN_WIDTH

    def click(point):
        run("xdotool", "mousemove", "--sync", str(left + round(point[0] * scale)),
            str(top + round(point[1] * scale)), "click", "1", env=env)
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
    return on_screen


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
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--linux", action="store_true")
    parser.add_argument("--screen", default="1400x1024")
    parser.add_argument("--scaling", type=int, default=100, help="percent")
    parser.add_argument("build", nargs="?")
    options = parser.parse_args()
    build = os.path.abspath(options.build or os.path.join(
        ROOT, "build/normal" if options.linux else "build/windows"))
    tools = [("xdotool", "xdotool"), ("Xvfb", "xvfb")] + ([] if options.linux else [("wine", "wine")])
    for tool, package in tools:
        if shutil.which(tool) is None:
            print(f"{tool} is missing: apt-get install {package}", file=sys.stderr)
            return 2
    program = os.path.join(build, "bench/tervalink_window_probe" if options.linux
                           else "app/tervalink.exe")
    if not os.path.exists(program):
        print(f"No {program}: build it with " + ("cmake --build --preset normal" if options.linux
              else "./scripts/windows --window"), file=sys.stderr)
        return 2
    devices = tempfile.mkdtemp(prefix="tervalink-devices.")
    if options.linux:
        link = os.path.join(devices, "ttyUSB7")
        command = [program, "window", devices]
        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_SCALE_FACTOR=str(options.scaling / 100))
    else:
        prefix = wine_prefix(build, round(96 * options.scaling / 100))
        link = os.path.join(prefix, "dosdevices", "com107")
        command = ["wine", program]
        env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
    server, display = start_display(options.screen)
    env["DISPLAY"] = display
    master, slave = far_end_port(link)
    window = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    received = {}
    # Read from the start, so that each frame is timed as it arrives, whatever the driving does.
    reader = threading.Thread(target=lambda: received.update(
        zip(("data", "arrivals"), read_frames(master, time.monotonic() + 120))), daemon=True)
    reader.start()
    try:
        on_screen = drive(env, options.screen)
        reader.join()
        data, arrivals = received["data"], received["arrivals"]
    finally:
        window.kill()
        if not options.linux:
            subprocess.run(["wineserver", "-k"], env=env)
        server.terminate()
        os.remove(link)
        os.rmdir(devices)
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
    return 0 if on_screen else 1


if __name__ == "__main__":
    sys.exit(main())
