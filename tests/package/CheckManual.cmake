# Fails unless the rendered manual page names every option that --help
# lists. DROP removes one option from the page first, so a test can show
# that a missing option is caught.
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help failed: ${status}")
endif()
# The page as a reader sees it: plain ASCII, no hyphenation, long lines.
set(ENV{MANWIDTH} 200)
set(ENV{LC_ALL} C)
execute_process(COMMAND ${MAN} --no-hyphenation --no-justification -E ascii -l ${PAGE}
  OUTPUT_VARIABLE page RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "man could not render ${PAGE}: ${status}")
endif()
if(DROP)
  string(REPLACE "${DROP}" "" page "${page}")
endif()

# An option starts a word: after a blank, a comma or a bracket.
string(REGEX MATCHALL "[ ,[(]--?[A-Za-z][A-Za-z-]*" found "${help}")
set(options)
foreach(token IN LISTS found)
  string(SUBSTRING "${token}" 1 -1 option)
  list(APPEND options ${option})
endforeach()
list(REMOVE_DUPLICATES options)
list(LENGTH options count)
if(count LESS 10)
  message(FATAL_ERROR "found only ${count} options in --help: ${options}")
endif()

set(missing)
foreach(option IN LISTS options)
  if(NOT page MATCHES "(^|[^A-Za-z0-9-])${option}([^A-Za-z0-9-]|$)")
    list(APPEND missing ${option})
  endif()
endforeach()
if(missing)
  list(JOIN missing " " missing)
  message(FATAL_ERROR "the manual page lacks: ${missing}")
endif()
message(STATUS "the manual page has all ${count} options: ${options}")
