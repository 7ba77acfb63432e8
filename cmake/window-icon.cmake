# The window's icon, built into the game (app/Game.cpp sets it): one picture of
# assets/icon/snokrystal.ico, read when CMake configures into the header
# WindowIcon.h of RGBA bytes, rows from the top, as sf::Window::setIcon takes
# them. The icon file keeps its sizes below 256 as uncompressed BMP (BGRA, rows
# from the bottom), so neither the build nor the game decodes a PNG.
#
# sf::Window::setIcon takes one picture, which Windows uses for the title bar
# and the taskbar alike and X desktops scale as they need. 48 pixels shrinks by
# whole steps to the title bar's 16 and 24 at 100 % and 150 %, is the taskbar's
# size at 200 % and Alt-Tab's at 150 %, and is the size X desktops have long
# drawn window icons at; 256 would be cut to 16 by Windows' plain scaler and
# send 256 KB to the X server at each start.
set(SNOKRYSTAL_WINDOW_ICON_SIZE 48)
set(icon_file ${PROJECT_SOURCE_DIR}/assets/icon/snokrystal.ico)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${icon_file})

# The number in `bytes` little-endian bytes of the icon file from `offset`.
function(icon_number offset bytes out)
  file(READ ${icon_file} hex OFFSET ${offset} LIMIT ${bytes} HEX)
  string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" hex "${hex}")
  string(REGEX REPLACE "^(..)(..)$" "\\2\\1" hex "${hex}")
  math(EXPR number "0x${hex}")
  set(${out} ${number} PARENT_SCOPE)
endfunction()

function(snokrystal_window_icon header)
  set(size ${SNOKRYSTAL_WINDOW_ICON_SIZE})
  icon_number(4 2 count)
  set(found "")
  foreach(i RANGE 1 ${count})
    math(EXPR entry "6 + 16 * (${i} - 1)")
    icon_number(${entry} 1 width)
    math(EXPR where "${entry} + 12")
    icon_number(${where} 4 offset)
    icon_number(${offset} 4 header_size)
    math(EXPR depth_at "${offset} + 14")
    icon_number(${depth_at} 2 depth)
    if(width EQUAL size AND header_size EQUAL 40 AND depth EQUAL 32)
      set(found ${offset})
    endif()
  endforeach()
  if(found STREQUAL "")
    message(FATAL_ERROR "${icon_file} has no ${size}-pixel 32-bit BMP picture: run tools/icon.cpp")
  endif()
  math(EXPR start "${found} + 40")
  math(EXPR row_bytes "${size} * 4")
  math(EXPR bytes "${row_bytes} * ${size}")
  file(READ ${icon_file} bitmap OFFSET ${start} LIMIT ${bytes} HEX)
  set(rows "")
  math(EXPR last "${size} - 1")
  foreach(row RANGE ${last} 0 -1)
    math(EXPR at "${row} * ${row_bytes} * 2")
    math(EXPR length "${row_bytes} * 2")
    string(SUBSTRING "${bitmap}" ${at} ${length} line)
    string(REGEX REPLACE "(..)(..)(..)(..)" "0x\\3, 0x\\2, 0x\\1, 0x\\4, " line "${line}")
    string(APPEND rows "    ${line}\n")
  endforeach()
  file(CONFIGURE OUTPUT ${header} @ONLY CONTENT [[
#pragma once
// Made by CMake (cmake/window-icon.cmake) from assets/icon/snokrystal.ico.
#include <array>
#include <cstdint>

inline constexpr unsigned kWindowIconSize = @size@;
// RGBA, rows from the top.
inline constexpr std::array<std::uint8_t, @bytes@> kWindowIconPixels{
@rows@};
]])
endfunction()

snokrystal_window_icon(${PROJECT_BINARY_DIR}/generated/WindowIcon.h)
