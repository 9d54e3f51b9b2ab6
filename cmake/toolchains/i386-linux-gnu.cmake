# 32-bit x86 build on an x86_64 Debian host: the host compiler with -m32 (g++-N-multilib) and
# Debian's multiarch :i386 libraries. An x86_64 kernel runs the binaries natively.
#   cmake -S . -B build/i386 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i386-linux-gnu.cmake
# -m32 only seeds CMAKE_C_FLAGS and CMAKE_CXX_FLAGS: flags given for them on the command line
# must repeat it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(PKG_CONFIG_EXECUTABLE i686-linux-gnu-pkg-config CACHE FILEPATH "pkg-config for the target")
