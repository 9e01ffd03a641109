# CMake 3.25 knows no WASI: a program is one .wasm file, libraries are static archives.
set(CMAKE_EXECUTABLE_SUFFIX ".wasm")
set(CMAKE_STATIC_LIBRARY_PREFIX "lib")
set(CMAKE_STATIC_LIBRARY_SUFFIX ".a")
set(UNIX 1)
