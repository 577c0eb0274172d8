# One place for the language standard, the warnings and Qt's strictness defines;
# every target of the project links luckdial_options.
add_library(luckdial_options INTERFACE)
target_compile_features(luckdial_options INTERFACE cxx_std_20)
set_target_properties(luckdial_options PROPERTIES INTERFACE_CXX_EXTENSIONS OFF)
target_compile_options(luckdial_options INTERFACE -Wall -Wextra -Wpedantic)
if(LUCKDIAL_WERROR)
  target_compile_options(luckdial_options INTERFACE -Werror)
endif()
target_compile_definitions(luckdial_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CAST_TO_ASCII
  QT_NO_CAST_FROM_BYTEARRAY
  QT_NO_URL_CAST_FROM_STRING
  QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
  QT_NO_FOREACH
  QT_NO_KEYWORDS)
target_include_directories(luckdial_options INTERFACE ${PROJECT_SOURCE_DIR}/src)

# Sanitized builds stop at the first finding (no recovery), so that a test
# that trips one fails instead of printing a report nobody reads.
if(LUCKDIAL_SANITIZE)
  target_compile_options(luckdial_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  target_link_options(luckdial_options INTERFACE -fsanitize=address,undefined)
  # GCC's flow analysis misreads the instrumented standard library (std::regex,
  # std::function) as using uninitialised members; clang does not.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(luckdial_options INTERFACE -Wno-maybe-uninitialized)
  endif()
endif()
# Fuzzing needs coverage feedback from every library the targets link; the
# fuzz targets themselves add libFuzzer's main.
if(LUCKDIAL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "LUCKDIAL_FUZZ needs clang (libFuzzer); configure with CXX=clang++")
  endif()
  target_compile_options(luckdial_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
