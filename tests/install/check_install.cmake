# cmake -DBUILD_DIR=... -DSTAGE=... -DVERSION=... -DWINDOW=ON|OFF -P check_install.cmake
# Installs the build under /usr in STAGE and checks what a user gets.

function(fail)
  string(JOIN "" text ${ARGN})
  message(FATAL_ERROR "${text}")
endfunction()

# Runs a command; fails unless it exits with 0. Its standard output goes to `out`.
function(run_ok out)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE stdout ERROR_VARIABLE stderr
                  RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    list(JOIN ARGN " " command)
    fail("${command}: ${status}\n${stdout}${stderr}")
  endif()
  set(${out} "${stdout}" PARENT_SCOPE)
endfunction()

function(find_tool variable name package)
  find_program(${variable} ${name})
  if(NOT ${variable})
    fail("${name} is missing: install ${package} (scripts/setup.sh does)")
  endif()
endfunction()

file(REMOVE_RECURSE "${STAGE}")
run_ok(ignored "${CMAKE_COMMAND}" -E env "DESTDIR=${STAGE}"
       "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix /usr)
set(root "${STAGE}/usr")
set(id org.mivora.Mivora)

# Exactly these files, nothing of the tests or libraries.
set(expected bin/mivora-cli share/man/man1/mivora-cli.1.gz)
set(png_sizes 48 64 128 256)
if(WINDOW)
  list(APPEND expected bin/mivora share/applications/${id}.desktop
       share/metainfo/${id}.metainfo.xml share/icons/hicolor/scalable/apps/${id}.svg)
  foreach(size ${png_sizes})
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
  endforeach()
endif()
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE "${STAGE}" "${STAGE}/*")
list(TRANSFORM expected PREPEND usr/)
list(SORT expected)
list(SORT installed)
if(NOT installed STREQUAL expected)
  fail("installed files differ\n  expected: ${expected}\n  installed: ${installed}")
endif()

# Both programs say their version; the window's needs no display for it.
set(version_line "^Mivora ${VERSION}( \\([^)]+\\))?\n$")
set(programs "${root}/bin/mivora-cli")
if(WINDOW)
  list(APPEND programs "${root}/bin/mivora")
endif()
foreach(program ${programs})
  run_ok(out "${CMAKE_COMMAND}" -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY "${program}" --version)
  if(NOT out MATCHES "${version_line}")
    fail("${program} --version printed: ${out}")
  endif()
endforeach()

# The installed mivora-cli works in ~/Mivora: its own folder holds no media.
set(user "${STAGE}/user")
file(MAKE_DIRECTORY "${user}/audio")
execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=MIVORA_HOME "HOME=${user}"
                        "XDG_CONFIG_HOME=${user}/.config"
                        "${root}/bin/mivora-cli" run --audio "${user}/audio"
                ERROR_VARIABLE err OUTPUT_QUIET)
string(FIND "${err}" "主目录：${user}/Mivora\n" at)
if(at EQUAL -1 OR NOT IS_DIRECTORY "${user}/Mivora/测试视频剪辑")
  fail("mivora-cli run without --home:\n${err}")
endif()

# The man page was made from the help of every command.
find_tool(GZIP gzip gzip)
run_ok(page "${GZIP}" -dc "${root}/share/man/man1/mivora-cli.1.gz")
foreach(part ".TH MIVORA-CLI 1" ".SS demo" ".SS run" ".SS effects" ".SS render-effect"
             "\\-\\-home DIR")
  string(FIND "${page}" "${part}" at)
  if(at EQUAL -1)
    fail("the man page lacks ${part}")
  endif()
endforeach()

if(WINDOW)
  find_tool(DESKTOP_FILE_VALIDATE desktop-file-validate desktop-file-utils)
  find_tool(APPSTREAMCLI appstreamcli appstream)
  run_ok(ignored "${DESKTOP_FILE_VALIDATE}" "${root}/share/applications/${id}.desktop")
  # The whole tree: the metadata and the desktop entry it launches.
  run_ok(ignored "${APPSTREAMCLI}" validate-tree --no-net "${STAGE}")
  # The PNG header holds width and height, four bytes each, from byte 16 on.
  foreach(size ${png_sizes})
    set(png "${root}/share/icons/hicolor/${size}x${size}/apps/${id}.png")
    file(READ "${png}" header HEX OFFSET 16 LIMIT 8)
    math(EXPR side "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(REGEX REPLACE "^0x" "" side "${side}")
    string(REPEAT "0" 8 zeros)
    string(PREPEND side "${zeros}")
    string(REGEX MATCH "........$" side "${side}")
    if(NOT header STREQUAL "${side}${side}")
      fail("${png} is not ${size}x${size}: ${header}")
    endif()
  endforeach()
endif()

file(REMOVE_RECURSE "${STAGE}")
