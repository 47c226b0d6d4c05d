# Writes the table of SHA-256 digests that patch8104.exe checks the hook
# libraries beside it against, from the libraries the release ships.
#
#   cmake -DPAYLOAD_DIR=<folder of the four libraries> -DOUTPUT=<header>
#         -P payload_digests.cmake
#
# The header is rewritten only when a digest changed, so that a build that
# merely sees newer copies of the same libraries compiles nothing again.

set(_libraries
  qbnpwm_windows_hook.dll
  qbnpwm_keyboard_hook.dll
  qbnpwm_windows_hook_x64.dll
  qbnpwm_keyboard_hook_x64.dll)

set(_text "// Written by the build from the libraries this program ships; the\n")
string(APPEND _text "// release tool checks the same files.\n")
string(APPEND _text "const ShippedDigest kShippedDigests[] = {\n")
foreach(_name ${_libraries})
  set(_path ${PAYLOAD_DIR}/${_name})
  if(NOT EXISTS ${_path})
    message(FATAL_ERROR "${_path}: missing; the program carries a digest of every library it ships")
  endif()
  file(SHA256 ${_path} _digest)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1, " _bytes ${_digest})
  string(REGEX REPLACE ", $" "" _bytes "${_bytes}")
  string(APPEND _text "    {L\"${_name}\",\n     {${_bytes}}},\n")
endforeach()
string(APPEND _text "};\n")

file(WRITE ${OUTPUT}.new "${_text}")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
