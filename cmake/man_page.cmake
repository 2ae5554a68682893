# cmake -DCLI=... -DTEMPLATE=... -DOUTPUT=... -DGZIP=... -P man_page.cmake
# Writes mivora-cli's gzipped man page from the program's own --version and
# --help texts, so the page says what the program says.

# The help of `mivora-cli ARGN --help` as a roff block kept as printed.
function(help_block result)
  execute_process(COMMAND "${CLI}" ${ARGN} --help OUTPUT_VARIABLE text RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "mivora-cli ${ARGN} --help failed: ${status}")
  endif()
  # Backslashes and minus signs print as typed; no line may start a request.
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${result} ".nf\n${text}.fi" PARENT_SCOPE)
endfunction()

execute_process(COMMAND "${CLI}" --version OUTPUT_VARIABLE VERSION_TEXT RESULT_VARIABLE status
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "mivora-cli --version failed: ${status}")
endif()
help_block(HELP)
set(COMMANDS "")
foreach(command demo run report effects render-effect)
  help_block(block ${command})
  string(APPEND COMMANDS ".SS ${command}\n${block}\n")
endforeach()
configure_file("${TEMPLATE}" "${OUTPUT}.page" @ONLY)
execute_process(COMMAND "${GZIP}" -9 -n -c "${OUTPUT}.page" OUTPUT_FILE "${OUTPUT}"
                RESULT_VARIABLE status)
file(REMOVE "${OUTPUT}.page")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "gzip failed: ${status}")
endif()
