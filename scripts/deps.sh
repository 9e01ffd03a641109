# Shared by scripts/run and scripts/test: installs what a fresh Debian 12 machine lacks.
# Sourced, not run.

# libsystemd-dev: sd-bus, to ask logind to keep the machine awake during an update. dbus-daemon
# and python3-dbusmock: the tests' own system bus with a mock logind on it (the dbus-daemon
# program alone: the tests start and end their bus themselves, and need no system bus service).
TERVALINK_PACKAGES=(
  g++ cmake ninja-build pkg-config
  libgtest-dev
  qt6-base-dev libudev-dev libsystemd-dev
  fonts-liberation
  scdoc librsvg2-bin
  desktop-file-utils appstream
  dbus-daemon python3-dbusmock
  umockdev libumockdev-dev
)

# What the serial trials in a QEMU guest need (tests/guest/, scripts/guest): QEMU, the busybox
# the guest runs on, xz for the kernel inside Debian's bzImage, objcopy (binutils) to leave the
# program's debug information out of the guest, and Python for the trials' driver. Without them
# the trials are skipped.
TERVALINK_GUEST_PACKAGES=(
  qemu-system-x86 busybox-static xz-utils binutils python3
)

# The core as WebAssembly (the wasm preset): clang 19 with wasm-ld (lld-19), its wasm32
# builtins, wasi-libc and libc++ for wasm32-wasi, GoogleTest's sources to build for it, and Node
# (20 or later, for node:wasi) to run the module and its tests.
TERVALINK_WASM_PACKAGES=(
  clang-19 lld-19 libclang-rt-19-dev-wasm32 wasi-libc libc++-19-dev-wasm32 googletest nodejs
)

# The page's tests in a real browser: Debian's Chromium. npm, for the pinned puppeteer-core, comes
# with Node where Node is not Debian's own (Debian's npm conflicts with such a nodejs); scripts/test
# installs Debian's npm only when there is no npm command.
TERVALINK_WEB_PACKAGES=(chromium)

# What scripts/package needs on top: CPack's Debian generator and the package checks.
TERVALINK_PACKAGE_PACKAGES=(
  dpkg-dev file fakeroot lintian
)

# What scripts/windows needs on top: the MinGW-w64 cross compiler, Wine to run the tests (wine
# holds the commands wine, wineboot and wineserver; wine64 only recommends it),
# GoogleTest's sources to build for Windows (CMake itself packs the zip), and an X server for the
# window's scale test on Windows' own platform (xvfb-run). The programs' icon: icotool (icoutils,
# whose wrestool also lists a program's resources). The installer: wixl, and msibuild (msitools)
# for the PATH entry wixl cannot write. Signing: osslsigncode, and openssl for the test's
# throwaway certificate.
TERVALINK_WINDOWS_PACKAGES=(
  g++-mingw-w64-x86-64-posix wine wine64 googletest xvfb
  icoutils wixl msitools osslsigncode openssl
)

# What scripts/screenshot needs on top for the Windows window: an X server for Wine to draw on.
TERVALINK_SCREENSHOT_PACKAGES=(
  xvfb
)

# install_missing_packages [MORE_PACKAGES...]
install_missing_packages() {
  local missing=()
  local pkg
  for pkg in "${TERVALINK_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

build_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}
