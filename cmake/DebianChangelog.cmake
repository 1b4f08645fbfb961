# SPDX-License-Identifier: MIT
# Writes the Debian package's changelog.gz from CHANGELOG.md: one entry per released
# version, newest first; the Unreleased section is left out.
#   cmake -D CHANGELOG=<CHANGELOG.md> -D OUTPUT=<changelog.gz> -D PACKAGE=<name>
#         -D VERSION=<version> -D MAINTAINER=<"Name <address>"> -D GZIP=<gzip> -P <this file>
# A section "## [1.0.0] - 2026-12-07" becomes the entry "<package> (1.0.0) unstable", each
# "### Added" a "  * Added:" line, each "- item" a "    - item" line with its continuation
# lines indented to match, and the date the entry's closing line. The newest released
# section must be VERSION, the version being packaged.
cmake_minimum_required(VERSION 3.25)

set(width_limit 80)
set(month_names Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
set(day_names Sun Mon Tue Wed Thu Fri Sat)
set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)

function(fail line_number message)
  message(FATAL_ERROR "${CHANGELOG}:${line_number}: ${message}")
endfunction()

# "2026-12-07" as "Mon, 07 Dec 2026 00:00:00 +0000"; the day of the week by Sakamoto's rule.
function(rfc2822_date iso_date line_number out)
  if(NOT iso_date MATCHES "^([0-9][0-9][0-9][0-9])-([01][0-9])-([0-3][0-9])$")
    fail(${line_number} "a release needs its date as YYYY-MM-DD")
  endif()
  set(day_text ${CMAKE_MATCH_3})
  math(EXPR year "${CMAKE_MATCH_1}")
  math(EXPR month "1${CMAKE_MATCH_2} - 100")
  math(EXPR day "1${CMAKE_MATCH_3} - 100")
  if(month LESS 1 OR month GREATER 12 OR day LESS 1 OR day GREATER 31)
    fail(${line_number} "no such date: ${iso_date}")
  endif()
  math(EXPR index "${month} - 1")
  list(GET month_names ${index} month_name)
  list(GET month_offsets ${index} offset)
  if(month LESS 3)
    math(EXPR year "${year} - 1")
  endif()
  math(EXPR weekday "(${year} + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${offset} + ${day}) % 7")
  list(GET day_names ${weekday} day_name)
  set(${out} "${day_name}, ${day_text} ${month_name} ${CMAKE_MATCH_1} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

file(READ "${CHANGELOG}" text)
string(LENGTH "${text}" text_length)
set(debian "")
set(closing "")         # the closing line of the entry being written, empty outside a release
set(newest_version "")
set(position 0)
set(line_number 0)
# Line by line with string(FIND): a CMake list would split lines at ';' and brackets.
while(position LESS text_length)
  math(EXPR line_number "${line_number} + 1")
  string(SUBSTRING "${text}" ${position} -1 rest)
  string(FIND "${rest}" "\n" end)
  if(end EQUAL -1)
    set(line "${rest}")
    set(position ${text_length})
  else()
    string(SUBSTRING "${rest}" 0 ${end} line)
    math(EXPR position "${position} + ${end} + 1")
  endif()

  if(line MATCHES "^## ")
    if(closing)
      string(APPEND debian "\n${closing}\n\n")
      set(closing "")
    endif()
    if(line MATCHES "^## \\[[Uu]nreleased\\]")
      continue()
    endif()
    if(NOT line MATCHES "^## \\[([^]]+)\\] - (.*)$")
      fail(${line_number} "a release is \"## [<version>] - <YYYY-MM-DD>\"")
    endif()
    set(version "${CMAKE_MATCH_1}")
    rfc2822_date("${CMAKE_MATCH_2}" ${line_number} date)
    if(newest_version STREQUAL "")
      set(newest_version "${version}")
    endif()
    string(APPEND debian "${PACKAGE} (${version}) unstable; urgency=medium\n\n")
    set(closing " -- ${MAINTAINER}  ${date}")
    continue()
  endif()
  if(NOT closing OR line STREQUAL "")
    continue()
  endif()

  if(line MATCHES "^### (.+)$")
    set(entry_line "  * ${CMAKE_MATCH_1}:")
  elseif(line MATCHES "^- (.+)$")
    set(entry_line "    - ${CMAKE_MATCH_1}")
  elseif(line MATCHES "^  ([^ ].*)$")
    set(entry_line "      ${CMAKE_MATCH_1}")
  else()
    fail(${line_number} "a release holds \"### <kind>\" headings and \"- <item>\" lines")
  endif()
  string(LENGTH "${entry_line}" entry_width)
  if(entry_width GREATER width_limit)
    fail(${line_number} "too long for the Debian changelog (${entry_width} > ${width_limit} columns there)")
  endif()
  string(APPEND debian "${entry_line}\n")
endwhile()
if(closing)
  string(APPEND debian "\n${closing}\n")
endif()

if(NOT newest_version STREQUAL VERSION)
  message(FATAL_ERROR "${CHANGELOG}: the newest release is \"${newest_version}\", "
                      "the package is version ${VERSION}: add its section")
endif()

# gzip -9n: the most compression, and no name or time stamp, so every build gives the
# same bytes.
get_filename_component(plain "${OUTPUT}" NAME_WLE)
get_filename_component(output_dir "${OUTPUT}" DIRECTORY)
file(WRITE "${output_dir}/${plain}" "${debian}")
execute_process(COMMAND "${GZIP}" -9n -c "${output_dir}/${plain}"
                OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE gzip_status)
if(NOT gzip_status EQUAL 0)
  message(FATAL_ERROR "${GZIP} failed on ${output_dir}/${plain}: ${gzip_status}")
endif()
