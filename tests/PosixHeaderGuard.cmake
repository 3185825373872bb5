# Fails when a POSIX or Linux-only header is included in the game's code outside platform/'s
# posix/ files: whatever differs between Linux and Windows lives behind platform/'s seams.
# (MinGW ships some of these headers, so a Windows build alone would not notice.)
#   cmake -DROOT=<source folder> -P tests/PosixHeaderGuard.cmake
set(banned "unistd|fcntl|dlfcn|pthread|poll|dirent|pwd|grp|termios|spawn|syslog|netdb|sched|semaphore|fontconfig/[a-z]+|curl/[a-z]+|sys/[a-z_]+|netinet/[a-z_]+|arpa/[a-z_]+|linux/[a-z_]+")
file(GLOB_RECURSE sources
  ${ROOT}/engine/*.cpp ${ROOT}/engine/*.h ${ROOT}/game/*.cpp ${ROOT}/game/*.h
  ${ROOT}/services/*.cpp ${ROOT}/services/*.h ${ROOT}/shell/*.cpp ${ROOT}/shell/*.h
  ${ROOT}/platform/*.cpp ${ROOT}/platform/*.h)
# libcurl's client stays in sdl/ for now; it is built on Linux only (platform/CMakeLists.txt).
list(FILTER sources EXCLUDE REGEX "/platform/posix/|/platform/sdl/SdlHttp\\.cpp$")
set(found)
foreach(f ${sources})
  file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*<(${banned})\\.h>")
  foreach(line ${lines})
    file(RELATIVE_PATH rel ${ROOT} ${f})
    list(APPEND found "${rel}: ${line}")
  endforeach()
endforeach()
if(found)
  list(JOIN found "\n  " text)
  message(FATAL_ERROR "POSIX headers outside platform/posix/:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "${count} files include no POSIX header")
