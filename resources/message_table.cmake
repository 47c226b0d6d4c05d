# Writes the message text file (.mc) for the message table the patch's
# Application events are formatted with. Its texts are the string table's,
# so that an event says what the run's box said, in the same languages;
# they are read from the string table itself rather than kept twice.
#
#   cmake -DSTRINGS=<patch8104_strings.rc run through the C preprocessor>
#         -DIDS=<patch8104_ids.h> -DMESSAGES=<IDS_ names, comma-separated>
#         -DWITH_PATH=<IDS_ name of the failure> -DOUTPUT=<.mc>
#         -P message_table.cmake
#
# The preprocessor has already turned every LANGUAGE statement and every
# IDS_ name in the table into numbers.

cmake_minimum_required(VERSION 3.20)

# CMake's lists split at ';' and nest at '[' and ']', and a text may hold
# any of them (the Dutch failure has a semicolon). Control characters stand
# in for them while the file is a list of lines; no text holds one.
string(ASCII 1 _semicolon)
string(ASCII 2 _open)
string(ASCII 3 _close)

function(restore_list_characters text out)
  string(REPLACE "${_semicolon}" ";" text "${text}")
  string(REPLACE "${_open}" "[" text "${text}")
  string(REPLACE "${_close}" "]" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# "0x0404": windmc names each language's binary after it.
function(four_hex_digits value out)
  math(EXPR value "${value} + 0x10000" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${value}" 3 4 value)
  string(TOUPPER "${value}" value)
  set(${out} "0x${value}" PARENT_SCOPE)
endfunction()

# windmc refuses a neutral language ID ("Language ident 0x4 is not
# resolvable"): such a block's table takes the language's default
# sublanguage, 0x0004 (traditional Chinese) becoming 0x0404 (Taiwan) and
# 0x0007 (German) 0x0407 (Germany). Other regions of these languages reach
# the table only as far as FormatMessage's own search of languages goes.
function(message_table_language primary sublanguage out)
  if(sublanguage EQUAL 0)
    set(sublanguage 1)
  endif()
  math(EXPR language "(${sublanguage} << 10) | ${primary}")
  four_hex_digits(${language} language)
  set(${out} ${language} PARENT_SCOPE)
endfunction()

# ---- the IDs ----

file(STRINGS ${IDS} _defines REGEX "^#define IDS_[A-Z_]+ [0-9]+$")
foreach(_define IN LISTS _defines)
  string(REGEX MATCH "^#define (IDS_[A-Z_]+) ([0-9]+)$" _match "${_define}")
  set(_id_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()
string(REPLACE "," ";" _names "${MESSAGES}")
set(_ids "")
foreach(_name IN LISTS _names ITEMS ${WITH_PATH})
  if(NOT DEFINED _id_${_name})
    message(FATAL_ERROR "${IDS}: no ${_name}")
  endif()
endforeach()
foreach(_name IN LISTS _names)
  list(APPEND _ids ${_id_${_name}})
endforeach()
list(SORT _ids COMPARE NATURAL)

# ---- the texts, per language ----

file(READ ${STRINGS} _source)
string(REPLACE ";" "${_semicolon}" _source "${_source}")
string(REPLACE "[" "${_open}" _source "${_source}")
string(REPLACE "]" "${_close}" _source "${_source}")
string(REPLACE "\n" ";" _lines "${_source}")

set(_languages "")
set(_language "")
foreach(_line IN LISTS _lines)
  if(_line MATCHES "^LANGUAGE +([0-9a-fA-Fx]+) *, *([0-9a-fA-Fx]+)")
    message_table_language(${CMAKE_MATCH_1} ${CMAKE_MATCH_2} _language)
    if(_language IN_LIST _languages)
      message(FATAL_ERROR "${STRINGS}: two blocks for language ${_language}")
    endif()
    list(APPEND _languages ${_language})
  elseif(_line MATCHES "^[ \t]*([0-9]+)[ \t]+\"(.*)\"[ \t]*$")
    set(_id ${CMAKE_MATCH_1})
    set(_text "${CMAKE_MATCH_2}")
    if(NOT _id IN_LIST _ids)
      continue()
    endif()
    if(_text MATCHES "\\\\")
      message(FATAL_ERROR "${STRINGS}: message ${_id} in ${_language} has "
                          "an escape sequence, which this table does not carry")
    endif()
    # A doubled quote is one quote in a resource script. FormatMessage takes
    # every '%' for an insertion; "%0" ends the text without the line break
    # windmc gives each line.
    string(REPLACE "\"\"" "\"" _text "${_text}")
    string(REPLACE "%" "%%" _text "${_text}")
    if(_id EQUAL _id_${WITH_PATH})
      string(APPEND _text "%n%2")
    endif()
    set(_text_${_language}_${_id} "${_text}%0")
  endif()
endforeach()
if(_languages STREQUAL "")
  message(FATAL_ERROR "${STRINGS}: no LANGUAGE statement")
endif()

# ---- the .mc ----

set(_mc "; Written by the build from the string table; edit that, not this.\n")
foreach(_language IN LISTS _languages)
  string(SUBSTRING ${_language} 2 4 _digits)
  string(APPEND _mc "LanguageNames=(L${_digits}=${_language}:MSG${_digits})\n")
endforeach()
# No severity or facility: the event ID an event is reported with is the
# plain message ID, and FormatMessage finds the text under that same number.
foreach(_id IN LISTS _ids)
  string(APPEND _mc "\nMessageId=${_id}\n")
  foreach(_language IN LISTS _languages)
    if(NOT DEFINED _text_${_language}_${_id})
      message(FATAL_ERROR "${STRINGS}: message ${_id} missing in ${_language}")
    endif()
    string(SUBSTRING ${_language} 2 4 _digits)
    string(APPEND _mc "Language=L${_digits}\n${_text_${_language}_${_id}}\n.\n")
  endforeach()
endforeach()

restore_list_characters("${_mc}" _mc)
file(WRITE ${OUTPUT} "${_mc}")
