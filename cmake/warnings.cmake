# Our own code builds warning-free: the project's targets and the host tools its tests build.
set(TERVALINK_WARNING_FLAGS
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Werror)
