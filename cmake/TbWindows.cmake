# The Windows tree: cross-built on Debian with MinGW-w64, tested under Wine.
#
# Read twice. As the toolchain file (-DCMAKE_TOOLCHAIN_FILE=cmake/TbWindows.cmake, by
# ./build.sh windows and by cmake/windows-libs.sh for the libraries) it names the compilers
# and where the cross-built libraries are. Included again by the top CMakeLists.txt once the
# project is set (TB_WINDOWS_SETTINGS), it holds every Windows build switch in one place.

if(NOT TB_WINDOWS_SETTINGS)
  set(CMAKE_SYSTEM_NAME Windows)
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
  # The posix flavour: std::thread and friends come from winpthreads.
  set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
  set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
  set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
  # The libraries from Debian's sources, one prefix each (TB_WIN_PREFIXES, a ;-list given
  # on the command line), then the MinGW system headers and libraries; never the build
  # machine's own.
  list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TB_WIN_PREFIXES)
  set(CMAKE_FIND_ROOT_PATH ${TB_WIN_PREFIXES} /usr/x86_64-w64-mingw32)
  set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
  set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
  set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
  return()
endif()

# --- The build switches (read after project()) ---------------------------------------------

if(NOT DEFINED TB_GAME_DATA_FROM OR TB_GAME_DATA_FROM STREQUAL "")
  message(FATAL_ERROR "The Windows tree takes its packs, modules and icons from the Linux "
    "tree: configure with -DTB_GAME_DATA_FROM=/path/to/build/game (./build.sh windows does)")
endif()

# Windows 10's API (the high-resolution waitable timer); windows.h without its min/max
# macros and without the rarely used parts.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0A00 WINVER=0x0A00)
# The MinGW runtime (libgcc, libstdc++, winpthreads) linked in: no runtime DLLs to ship.
# The libraries' import libraries are given by full path, so they still link to the DLLs.
add_link_options(-static)

find_package(SDL2 REQUIRED CONFIG)
# The platform links SDL under the name the Linux tree's pkg-config gives it.
add_library(PkgConfig::SDL2 INTERFACE IMPORTED)
target_link_libraries(PkgConfig::SDL2 INTERFACE SDL2::SDL2)
# SDL_ttf and libxmp are opened on first use, as on Linux: only their headers at build time.
find_path(SDL2TTF_INCLUDE_DIRS SDL_ttf.h PATH_SUFFIXES SDL2 REQUIRED)
find_path(XMP_INCLUDE_DIRS xmp.h REQUIRED)
set(CURL_INCLUDE_DIRS "")
set(FONTCONFIG_INCLUDE_DIRS "")

# Under Wine, each test in a prefix of this tree's own, quiet, without the .NET and HTML
# engine installers (./build.sh makes the prefix once before the tests).
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
set(TB_WINE_ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wine" "WINEDEBUG=-all"
  "WINEDLLOVERRIDES=mscoree,mshtml=")

# The DLLs the program and the tests load: SDL (linked), SDL_ttf with FreeType and libxmp
# (opened on first use). zlib and the MinGW runtime are linked in.
set(TB_WINDOWS_DLLS)
foreach(dll SDL2 SDL2_ttf libfreetype libxmp)
  find_file(TB_DLL_${dll} NAMES ${dll}.dll lib${dll}.dll ${dll}-6.dll PATH_SUFFIXES bin REQUIRED
    NO_CACHE)
  list(APPEND TB_WINDOWS_DLLS ${TB_DLL_${dll}})
endforeach()
# The licences of the libraries shipped, from their Debian source packages.
set(TB_WINDOWS_LICENCES)
foreach(root ${CMAKE_FIND_ROOT_PATH})
  file(GLOB copyright ${root}/share/licenses/*/copyright)
  list(APPEND TB_WINDOWS_LICENCES ${copyright})
endforeach()

# The font files the aliases of Data/fonts.conf name, from the Debian font packages the Linux
# tree uses through fontconfig, with their licences.
set(TB_WINDOWS_FONTS
  /usr/share/fonts/opentype/comic-neue/ComicNeue-Regular.otf
  /usr/share/fonts/opentype/comic-neue/ComicNeue-Bold.otf
  /usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf
  /usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf)
set(TB_WINDOWS_FONT_LICENCES
  fonts-comic-neue:/usr/share/doc/fonts-comic-neue/copyright
  fonts-dejavu-core:/usr/share/doc/fonts-dejavu-core/copyright)

# The DLLs beside the tests and the program, the fonts in the playable folder.
set(TB_WINDOWS_RUNTIME_FILES)
foreach(dll ${TB_WINDOWS_DLLS})
  get_filename_component(name ${dll} NAME)
  foreach(dir ${CMAKE_BINARY_DIR}/bin ${TB_GAME_DIR})
    add_custom_command(OUTPUT ${dir}/${name}
      COMMAND ${CMAKE_COMMAND} -E copy ${dll} ${dir}/${name} DEPENDS ${dll} VERBATIM)
    list(APPEND TB_WINDOWS_RUNTIME_FILES ${dir}/${name})
  endforeach()
endforeach()
foreach(font ${TB_WINDOWS_FONTS})
  get_filename_component(name ${font} NAME)
  add_custom_command(OUTPUT ${TB_GAME_DIR}/Data/Fonts/${name}
    COMMAND ${CMAKE_COMMAND} -E copy ${font} ${TB_GAME_DIR}/Data/Fonts/${name}
    DEPENDS ${font} VERBATIM)
  list(APPEND TB_WINDOWS_RUNTIME_FILES ${TB_GAME_DIR}/Data/Fonts/${name})
endforeach()
add_custom_target(windows_runtime ALL DEPENDS ${TB_WINDOWS_RUNTIME_FILES})

# tb_windows_release(): the program's Windows dress (name, subsystem, icon, version,
# manifest) and the zip, build-win/TallowBrackles-win64.zip (target "release").
function(tb_windows_release)
  set(res ${CMAKE_BINARY_DIR}/winres)
  # The duck of dist/, as the Linux tree rendered it, in an icon file of PNG images.
  set(icons_from ${TB_GAME_DATA_FROM}/../icons)
  set(icon_pngs ${icons_from}/48x48/tallowbrackles.png ${icons_from}/128x128/tallowbrackles.png
    ${icons_from}/256x256/tallowbrackles.png)
  add_custom_command(OUTPUT ${res}/TallowBrackles.ico
    COMMAND ${CMAKE_COMMAND} -E make_directory ${res}
    COMMAND convert ${icon_pngs} ${res}/TallowBrackles.ico
    DEPENDS ${icon_pngs}
    COMMENT "Making the program's icon"
    VERBATIM)
  add_custom_target(windows_icon DEPENDS ${res}/TallowBrackles.ico)
  set(TB_ICON_FILE ${res}/TallowBrackles.ico)
  set(TB_MANIFEST_FILE ${res}/TallowBrackles.manifest)
  configure_file(${PROJECT_SOURCE_DIR}/platform/windows/TallowBrackles.rc.in ${res}/TallowBrackles.rc
    @ONLY)
  file(WRITE ${res}/VERSION.txt "Tallow Brackles ${PROJECT_VERSION}\n")
  configure_file(${PROJECT_SOURCE_DIR}/platform/windows/TallowBrackles.manifest
    ${res}/TallowBrackles.manifest COPYONLY)
  set_source_files_properties(${res}/TallowBrackles.rc PROPERTIES
    OBJECT_DEPENDS "${res}/TallowBrackles.ico;${res}/TallowBrackles.manifest")
  target_sources(tallowbrackles PRIVATE ${res}/TallowBrackles.rc)
  add_dependencies(tallowbrackles windows_icon)
  # A window program (no console beside it); SDL's WinMain hands main its UTF-8 arguments.
  set_target_properties(tallowbrackles PROPERTIES OUTPUT_NAME TallowBrackles WIN32_EXECUTABLE ON)
  target_link_libraries(tallowbrackles PRIVATE SDL2::SDL2main)
  get_target_property(sdl_includes SDL2::SDL2 INTERFACE_INCLUDE_DIRECTORIES)
  target_include_directories(tallowbrackles PRIVATE ${sdl_includes})
  set_source_files_properties(${PROJECT_SOURCE_DIR}/shell/Program.cpp PROPERTIES
    COMPILE_OPTIONS "-includeSDL_main.h")

  # The zip: the program, the DLLs, Data/ (packs, music, fonts, the aliases, an empty Save),
  # the licences, and the version.
  set(stage ${CMAKE_BINARY_DIR}/release/TallowBrackles)
  set(zip ${CMAKE_BINARY_DIR}/TallowBrackles-win64.zip)
  set(licence_commands)
  foreach(l ${TB_WINDOWS_LICENCES})
    get_filename_component(dir ${l} DIRECTORY)
    get_filename_component(pkg ${dir} NAME)
    list(APPEND licence_commands COMMAND ${CMAKE_COMMAND} -E copy ${l} ${stage}/Licences/${pkg}.txt)
  endforeach()
  foreach(entry ${TB_WINDOWS_FONT_LICENCES})
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 pkg)
    list(GET parts 1 l)
    list(APPEND licence_commands COMMAND ${CMAKE_COMMAND} -E copy ${l} ${stage}/Licences/${pkg}.txt)
  endforeach()
  add_custom_command(OUTPUT ${zip}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/release ${zip}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/Data/Save ${stage}/Licences
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:tallowbrackles> ${TB_WINDOWS_DLLS} ${stage}
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${TB_GAME_DIR}/Data/Res ${stage}/Data/Res
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${TB_GAME_DIR}/Data/Music ${stage}/Data/Music
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${TB_GAME_DIR}/Data/Fonts ${stage}/Data/Fonts
    COMMAND ${CMAKE_COMMAND} -E copy ${TB_GAME_DIR}/Data/fonts.conf ${stage}/Data/fonts.conf
    ${licence_commands}
    COMMAND ${CMAKE_COMMAND} -E copy ${res}/VERSION.txt ${stage}/VERSION.txt
    COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/release
      ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip TallowBrackles
    DEPENDS tallowbrackles windows_runtime pack_Res1 pack_Res2 pack_Sounds music
    COMMENT "Packing TallowBrackles-win64.zip"
    VERBATIM)
  add_custom_target(release ALL DEPENDS ${zip})
endfunction()
