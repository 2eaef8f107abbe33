# SPDX-License-Identifier: GPL-2.0-or-later
# cmake -DSOURCE=CHANGELOG.md -DOUTPUT=changelog -DPACKAGE=name -DVERSION=x.y.z
#       -DMAINTAINER="Name <address>" -P debian-changelog.cmake
#
# Writes the released sections of CHANGELOG.md (Keep a Changelog) as a Debian
# changelog, which is what a native package's /usr/share/doc/<package>/changelog
# must be. One source for both, so that they cannot disagree. "Unreleased" is
# left out; a VERSION without its own section is an error, since the package
# would then not say what it changed.
foreach(var SOURCE OUTPUT PACKAGE VERSION MAINTAINER)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "debian-changelog.cmake needs -D${var}=...")
  endif()
endforeach()

# "2026-12-07" -> "Mon, 07 Dec 2026 00:00:00 +0000" (RFC 2822, as dpkg wants it).
function(rfc2822_date iso out)
  if(NOT iso MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "CHANGELOG.md: \"${iso}\" is not a date like 2026-12-07")
  endif()
  set(year ${CMAKE_MATCH_1})
  set(day ${CMAKE_MATCH_3})
  math(EXPR month "1${CMAKE_MATCH_2} - 100")
  # Sakamoto's day of the week, 0 = Sunday.
  set(offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  math(EXPR index "${month} - 1")
  list(GET offsets ${index} offset)
  set(y ${year})
  if(month LESS 3)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + 1${day} - 100) % 7")
  set(weekdays Sun Mon Tue Wed Thu Fri Sat)
  set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
  list(GET weekdays ${weekday} weekdayName)
  list(GET months ${index} monthName)
  set(${out} "${weekdayName}, ${day} ${monthName} ${year} 00:00:00 +0000" PARENT_SCOPE)
endfunction()

file(STRINGS ${SOURCE} lines)
set(text "")
set(trailer "")
set(inRelease FALSE)
set(foundVersion FALSE)
foreach(line IN LISTS lines)
  if(line MATCHES "^## \\[([^]]+)\\]( - ([0-9-]+))?")
    set(text "${text}${trailer}")
    set(trailer "")
    set(inRelease FALSE)
    if(NOT CMAKE_MATCH_1 STREQUAL "Unreleased")
      if(NOT CMAKE_MATCH_3)
        message(FATAL_ERROR "CHANGELOG.md: the section of ${CMAKE_MATCH_1} has no date")
      endif()
      if(CMAKE_MATCH_1 STREQUAL VERSION)
        set(foundVersion TRUE)
      endif()
      rfc2822_date(${CMAKE_MATCH_3} date)
      set(text "${text}${PACKAGE} (${CMAKE_MATCH_1}) unstable; urgency=medium\n")
      set(trailer "\n -- ${MAINTAINER}  ${date}\n\n")
      set(inRelease TRUE)
    endif()
  elseif(inRelease AND line MATCHES "^### (.*)")
    set(text "${text}\n  ${CMAKE_MATCH_1}:\n")
  elseif(inRelease AND line MATCHES "^- (.*)")
    set(text "${text}  * ${CMAKE_MATCH_1}\n")
  elseif(inRelease AND line MATCHES "^  +(.*)")
    set(text "${text}    ${CMAKE_MATCH_1}\n")
  endif()
endforeach()
set(text "${text}${trailer}")

if(NOT foundVersion)
  message(FATAL_ERROR "CHANGELOG.md has no section \"## [${VERSION}] - date\"; "
    "write what this release changes before giving it that version")
endif()
string(REGEX REPLACE "\n\n$" "\n" text "${text}")
file(WRITE ${OUTPUT} "${text}")
