# cmake -DBUILD_DIR=... -DSTAGE=... -DVERSION=... -DWINDOW=ON|OFF -P check_install.cmake
# Installs the build under /usr in STAGE and checks what a user gets.

cmake_minimum_required(VERSION 3.25)

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
set(expected bin/mivora-cli share/doc/mivora/copyright share/doc/mivora/changelog.Debian.gz
    share/lintian/overrides/mivora)
set(png_sizes 48 64 128 256)
set(program_names mivora-cli)
if(WINDOW)
  list(APPEND program_names mivora)
endif()
foreach(program ${program_names})
  list(APPEND expected share/man/man1/${program}.1.gz share/man/zh_CN/man1/${program}.1.gz)
endforeach()
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

# Each man page reads as a user's man shows it: the English one in the
# locale a fresh system has (none), the Chinese one in a Chinese locale. Each
# renders without a warning and names every option its program's help lists.
find_tool(MAN man man-db)
find_tool(GROFF groff groff-base)
find_tool(GZIP gzip gzip)
foreach(program ${program_names})
  run_ok(help "${root}/bin/${program}" --help)
  string(REGEX MATCHALL "\n  ([a-z][a-z-]*) " commands "${help}")
  foreach(command ${commands})
    string(STRIP "${command}" command)
    run_ok(more "${root}/bin/${program}" ${command} --help)
    string(APPEND help "${more}")
  endforeach()
  string(REGEX MATCHALL "--[a-z][a-z-]*" options "${help}")
  list(REMOVE_DUPLICATES options)

  set(english "${root}/share/man/man1/${program}.1.gz")
  set(chinese "${root}/share/man/zh_CN/man1/${program}.1.gz")
  run_ok(source "${GZIP}" -dc "${english}")
  if(source MATCHES "[^\t\n -~]")
    fail("${english} holds more than ASCII")
  endif()
  execute_process(COMMAND "${CMAKE_COMMAND}" -E env --unset=LANG --unset=LC_ALL
                          --unset=LC_MESSAGES --unset=LC_CTYPE --unset=LANGUAGE MANWIDTH=200
                          "${MAN}" -l "${english}"
                  OUTPUT_VARIABLE english_text ERROR_VARIABLE english_err RESULT_VARIABLE status)
  execute_process(COMMAND "${GZIP}" -dc "${chinese}"
                  COMMAND "${CMAKE_COMMAND}" -E env LANG=zh_CN.UTF-8
                          "${GROFF}" -k -man -Tutf8 -ww -rLL=200n -P-cbou
                  OUTPUT_VARIABLE chinese_text ERROR_VARIABLE chinese_err
                  RESULTS_VARIABLE statuses)
  if(NOT status EQUAL 0 OR NOT statuses STREQUAL "0;0" OR english_err OR chinese_err)
    fail("${program}'s man pages do not render cleanly:\n${english_err}${chinese_err}")
  endif()
  string(TOUPPER "${program}" title)
  foreach(page english chinese)
    set(parts "${title}(1)" ${options})
    if(page STREQUAL "chinese")
      list(APPEND parts "名称\n       ${program} - ")
    else()
      list(APPEND parts "NAME\n       ${program} - ")
    endif()
    foreach(part ${parts})
      string(FIND "${${page}_text}" "${part}" at)
      if(at EQUAL -1)
        fail("the ${page} man page of ${program} lacks ${part}:\n${${page}_text}")
      endif()
    endforeach()
  endforeach()
endforeach()

# What Debian wants beside every package: a machine-readable copyright, and
# the changelog of this version.
set(doc "${root}/share/doc/mivora")
file(READ "${doc}/copyright" copyright)
if(NOT copyright MATCHES "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
   OR NOT copyright MATCHES "\nFiles: \\*\nCopyright: [^\n]+\nLicense: [^\n]+\n")
  fail("${doc}/copyright is not in the machine-readable format:\n${copyright}")
endif()
run_ok(changelog "${GZIP}" -dc "${doc}/changelog.Debian.gz")
if(NOT changelog MATCHES "^mivora \\(${VERSION}-[0-9]+\\) [a-z]+; urgency=[a-z]+\n"
   OR NOT changelog MATCHES "\n -- [^<\n]+ <[^@>]+@[^>]+>  [A-Z][a-z][a-z], [0-9][0-9] [A-Z][a-z][a-z] [0-9]+ ")
  fail("${doc}/changelog.Debian.gz is no Debian changelog of ${VERSION}:\n${changelog}")
endif()

if(WINDOW)
  find_tool(DESKTOP_FILE_VALIDATE desktop-file-validate desktop-file-utils)
  find_tool(APPSTREAMCLI appstreamcli appstream)
  run_ok(ignored "${DESKTOP_FILE_VALIDATE}" "${root}/share/applications/${id}.desktop")
  # The whole tree: the metadata and the desktop entry it launches.
  run_ok(ignored "${APPSTREAMCLI}" validate-tree --no-net "${STAGE}")
  # Even the pedantic checks find the release, with its version.
  execute_process(COMMAND "${APPSTREAMCLI}" validate --pedantic --no-net
                          "${root}/share/metainfo/${id}.metainfo.xml"
                  OUTPUT_VARIABLE report ERROR_VARIABLE report)
  if(report MATCHES "releases-info-missing|release-version-missing|release-time-missing")
    fail("the metainfo's releases:\n${report}")
  endif()
  file(READ "${root}/share/metainfo/${id}.metainfo.xml" metainfo)
  if(NOT metainfo MATCHES "<release version=\"${VERSION}\" date=\"[0-9]+-[0-9]+-[0-9]+\"/>")
    fail("the metainfo names no release ${VERSION}")
  endif()
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
