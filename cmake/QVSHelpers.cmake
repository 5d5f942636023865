# Shared build settings: warnings, sanitizers and the one helper that declares every test.

add_library(qvs_warnings INTERFACE)
target_compile_options(qvs_warnings INTERFACE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers
                                           $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>
                                           # GCC 12 reports string concatenation in optimised builds as
                                           # overlapping copies (a known false positive).
                                           $<$<CXX_COMPILER_ID:GNU>:-Wno-restrict>)

add_library(qvs_sanitize INTERFACE)
if(QVS_SANITIZE)
  target_compile_options(qvs_sanitize INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=undefined
                                                -fno-omit-frame-pointer)
  target_link_options(qvs_sanitize INTERFACE -fsanitize=address,undefined)
endif()

# qvs_add_library(name SOURCES ... DEPS ...): one library target per module.
function(qvs_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} qvs_sanitize PRIVATE qvs_warnings ${ARG_PRIVATE_DEPS})
endfunction()

# qvs_add_test(name SOURCES ... DEPS ...): a GoogleTest executable registered with CTest.
# Tests link the library targets they test, never a front end.
function(qvs_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} qvs_testsupport GTest::gtest GTest::gmock GTest::gtest_main
                                        qvs_warnings qvs_sanitize)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "TZ=UTC;ASAN_OPTIONS=detect_leaks=1:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
endfunction()

# qvs_add_fuzzer(name SOURCES ... DEPS ...): a libFuzzer target, only with QVS_BUILD_FUZZ.
function(qvs_add_fuzzer name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  if(QVS_BUILD_FUZZ)
    add_executable(${name} ${ARG_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} qvs_sanitize)
  endif()
endfunction()
