# Which release this source is: the version and the date of the top entry of doc/changelog, the one place either is
# written. The date stamps every file the packages hold, so that a rebuild of the same source gives the same bytes (a
# source archive has no git history to ask). Included before project(). Sets dcdcount_version, DCDCOUNT_RELEASE_DATE
# (YYYY-MM-DD) and DCDCOUNT_SOURCE_DATE_EPOCH (or SOURCE_DATE_EPOCH, where the environment sets it).
set(changelog ${CMAKE_CURRENT_LIST_DIR}/../doc/changelog)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${changelog})
file(STRINGS ${changelog} entry LIMIT_COUNT 2 REGEX "^[a-z]| -- ")
if(NOT entry MATCHES "^dcdcount \\(([0-9]+\\.[0-9]+\\.[0-9]+)\\) ")
    message(FATAL_ERROR "doc/changelog: the top entry names no version MAJOR.MINOR.PATCH: ${entry}")
endif()
set(dcdcount_version ${CMAKE_MATCH_1})
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(JOIN months "|" month_names)
if(NOT entry MATCHES "  [A-Z][a-z][a-z], ([0-9][0-9]) (${month_names}) ([0-9][0-9][0-9][0-9]) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) \\+0000$")
    message(FATAL_ERROR "doc/changelog: no date of the form 'Wed, 09 Dec 2026 00:00:00 +0000' in: ${entry}")
endif()
set(day ${CMAKE_MATCH_1})
set(year ${CMAKE_MATCH_3})
math(EXPR seconds "${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6}")
list(FIND months ${CMAKE_MATCH_2} month)
math(EXPR month "${month} + 1")
math(EXPR padded "${month} + 100")
string(SUBSTRING ${padded} 1 2 padded)
set(DCDCOUNT_RELEASE_DATE ${year}-${padded}-${day})

# Days since 1970-01-01, counted in years that start on 1 March, so that a leap day ends its year.
if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
endif()
math(EXPR days "${year} * 365 + ${year} / 4 - ${year} / 100 + ${year} / 400 \
    + (153 * ((${month} + 9) % 12) + 2) / 5 + ${day} - 1 - 719468")
math(EXPR DCDCOUNT_SOURCE_DATE_EPOCH "${days} * 86400 + ${seconds}")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(DCDCOUNT_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
endif()
