# The release this source is, from the top entry of doc/changelog (the Debian
# changelog that the .deb carries): its version must be the project's, and its
# date stamps every file the packages hold, so that a rebuild of the same
# source gives the same bytes. A source archive has no git history to ask.
#
# Sets DCDCOUNT_RELEASE_DATE (YYYY-MM-DD) and DCDCOUNT_SOURCE_DATE_EPOCH: the
# release date in seconds since 1970, or SOURCE_DATE_EPOCH where the
# environment sets it.

# An edit of either text configures the build folder again at its next build.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
    ${PROJECT_SOURCE_DIR}/doc/changelog ${PROJECT_SOURCE_DIR}/doc/dcdcount.1)
file(STRINGS ${PROJECT_SOURCE_DIR}/doc/changelog entry LIMIT_COUNT 2 REGEX "^[a-z]| -- ")
list(GET entry 0 heading)
list(GET entry 1 trailer)
if(NOT heading MATCHES "^dcdcount \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "doc/changelog: the top entry is not version ${PROJECT_VERSION}: ${heading}")
endif()
set(months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
if(NOT trailer MATCHES "  [A-Z][a-z][a-z], ([0-9][0-9]) ([A-Z][a-z][a-z]) ([0-9][0-9][0-9][0-9]) ([0-9][0-9]):([0-9][0-9]):([0-9][0-9]) \\+0000$")
    message(FATAL_ERROR "doc/changelog: no date of the form 'Wed, 09 Dec 2026 00:00:00 +0000' in: ${trailer}")
endif()
set(day ${CMAKE_MATCH_1})
list(FIND months ${CMAKE_MATCH_2} month)
math(EXPR month "${month} + 1")
set(year ${CMAKE_MATCH_3})
math(EXPR seconds "${CMAKE_MATCH_4} * 3600 + ${CMAKE_MATCH_5} * 60 + ${CMAKE_MATCH_6}")
if(month EQUAL 0)
    message(FATAL_ERROR "doc/changelog: no such month in: ${trailer}")
endif()
if(month LESS 10)
    set(DCDCOUNT_RELEASE_DATE ${year}-0${month}-${day})
else()
    set(DCDCOUNT_RELEASE_DATE ${year}-${month}-${day})
endif()

# Days since 1970-01-01 of a date in the proleptic Gregorian calendar, counted
# in years that start on 1 March, so that a leap day ends its year.
if(month LESS_EQUAL 2)
    math(EXPR year "${year} - 1")
endif()
math(EXPR day_of_year "(153 * ((${month} + 9) % 12) + 2) / 5 + ${day} - 1")
math(EXPR days "${year} * 365 + ${year} / 4 - ${year} / 100 + ${year} / 400 + ${day_of_year} - 719468")
if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(DCDCOUNT_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    math(EXPR DCDCOUNT_SOURCE_DATE_EPOCH "${days} * 86400 + ${seconds}")
endif()

# The manual page names the version it documents and its date.
file(STRINGS ${PROJECT_SOURCE_DIR}/doc/dcdcount.1 man_title REGEX "^\\.TH ")
if(NOT man_title MATCHES " ${DCDCOUNT_RELEASE_DATE} \"dcdcount ${PROJECT_VERSION}\"")
    message(FATAL_ERROR "doc/dcdcount.1 does not document version ${PROJECT_VERSION} of "
        "${DCDCOUNT_RELEASE_DATE}: ${man_title}")
endif()
