# The dependencies of a cross build (the Windows build with MinGW-w64 on Debian), where Debian
# ships no build of them for the target. Each is made available under the name and the targets
# that find_package gives on the host, so the rest of the build does not tell the two apart:
#
#   CLI11, nlohmann_json  header-only: the host's headers (libcli11-dev, nlohmann-json3-dev)
#   pugixml               compiled from the Debian source package (see KEYLOOM_PUGIXML_SOURCE_DIR)
#   GTest                 compiled from Debian's GoogleTest sources (googletest, /usr/src/googletest)

set(keyloom_deps_dir ${CMAKE_BINARY_DIR}/_deps)

# find_package looks into this folder before anywhere else; a config file there answers for the
# package.
function(keyloom_provide_package name version)
  string(TOLOWER ${name} file_name)
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${file_name}-config.cmake
    "# ${name} is provided by KeyloomCrossDependencies.\n")
  file(WRITE ${CMAKE_FIND_PACKAGE_REDIRECTS_DIR}/${file_name}-config-version.cmake
    "set(PACKAGE_VERSION \"${version}\")\n"
    "if(PACKAGE_FIND_VERSION AND PACKAGE_FIND_VERSION VERSION_GREATER PACKAGE_VERSION)\n"
    "  set(PACKAGE_VERSION_COMPATIBLE FALSE)\n"
    "else()\n"
    "  set(PACKAGE_VERSION_COMPATIBLE TRUE)\n"
    "endif()\n")
endfunction()

# Sets out to the first capture of the regular expression in the first line of the file that
# matches it.
function(keyloom_read_version out file regex)
  file(STRINGS ${file} line LIMIT_COUNT 1 REGEX "${regex}")
  if(NOT line MATCHES "${regex}")
    message(FATAL_ERROR "No version found in ${file}")
  endif()
  set(${out} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()

# Header-only libraries: only their own folder of the host's headers goes on the include path
# (all of /usr/include would put the host's C library before MinGW's).
function(keyloom_provide_headers name target header folder)
  find_path(keyloom_${name}_include ${header} PATHS /usr/include NO_DEFAULT_PATH
    NO_CMAKE_FIND_ROOT_PATH)
  if(NOT keyloom_${name}_include)
    message(FATAL_ERROR "${name}: ${header} is not installed on this machine")
  endif()
  file(MAKE_DIRECTORY ${keyloom_deps_dir}/include)
  file(CREATE_LINK ${keyloom_${name}_include}/${folder} ${keyloom_deps_dir}/include/${folder}
    SYMBOLIC)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  set_target_properties(${target} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${keyloom_deps_dir}/include)
endfunction()

keyloom_provide_headers(CLI11 CLI11::CLI11 CLI/CLI.hpp CLI)
keyloom_read_version(keyloom_cli11_version ${keyloom_CLI11_include}/CLI/Version.hpp
  "#define CLI11_VERSION \"([0-9.]+)\"")
keyloom_provide_package(CLI11 ${keyloom_cli11_version})

keyloom_provide_headers(nlohmann_json nlohmann_json::nlohmann_json nlohmann/json.hpp nlohmann)
set(keyloom_json_version)
foreach(part MAJOR MINOR PATCH)
  keyloom_read_version(keyloom_json_part
    ${keyloom_nlohmann_json_include}/nlohmann/detail/abi_macros.hpp
    "#define NLOHMANN_JSON_VERSION_${part} ([0-9]+)")
  list(APPEND keyloom_json_version ${keyloom_json_part})
endforeach()
list(JOIN keyloom_json_version "." keyloom_json_version)
keyloom_provide_package(nlohmann_json ${keyloom_json_version})

# pugixml: the unpacked Debian source package. When the folder is missing, configuring fetches
# it with tools/fetch-debian-source.sh (the version of the host's libpugixml-dev, so that both
# builds read XML with the same code).
set(KEYLOOM_PUGIXML_SOURCE_DIR ${keyloom_deps_dir}/pugixml-src CACHE PATH
  "The pugixml source tree (the folder that holds src/pugixml.cpp)")
if(NOT EXISTS ${KEYLOOM_PUGIXML_SOURCE_DIR}/src/pugixml.cpp)
  execute_process(
    COMMAND dpkg-query -W -f=\${source:Version} libpugixml-dev
    OUTPUT_VARIABLE keyloom_pugixml_version
    ERROR_QUIET)
  message(STATUS "Fetching the pugixml source package ${keyloom_pugixml_version}")
  execute_process(
    COMMAND ${PROJECT_SOURCE_DIR}/tools/fetch-debian-source.sh pugixml
            ${KEYLOOM_PUGIXML_SOURCE_DIR} ${keyloom_pugixml_version}
    RESULT_VARIABLE keyloom_fetch_result)
  if(NOT keyloom_fetch_result EQUAL 0)
    message(FATAL_ERROR "The pugixml sources could not be fetched. Unpack them by hand with "
      "tools/fetch-debian-source.sh pugixml DIR and configure with "
      "-DKEYLOOM_PUGIXML_SOURCE_DIR=DIR.")
  endif()
endif()
add_library(keyloom_pugixml STATIC ${KEYLOOM_PUGIXML_SOURCE_DIR}/src/pugixml.cpp)
add_library(pugixml::pugixml ALIAS keyloom_pugixml)
target_include_directories(keyloom_pugixml SYSTEM PUBLIC ${KEYLOOM_PUGIXML_SOURCE_DIR}/src)
# PUGIXML_VERSION is major * 1000 + minor * 10.
keyloom_read_version(keyloom_pugixml_version ${KEYLOOM_PUGIXML_SOURCE_DIR}/src/pugixml.hpp
  "define PUGIXML_VERSION ([0-9]+)")
math(EXPR keyloom_pugixml_major "${keyloom_pugixml_version} / 1000")
math(EXPR keyloom_pugixml_minor "${keyloom_pugixml_version} % 1000 / 10")
keyloom_provide_package(pugixml ${keyloom_pugixml_major}.${keyloom_pugixml_minor})

if(KEYLOOM_BUILD_TESTS)
  set(KEYLOOM_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH
    "The GoogleTest source tree (Debian package googletest)")
  if(NOT EXISTS ${KEYLOOM_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "GoogleTest sources not found in ${KEYLOOM_GOOGLETEST_SOURCE_DIR}: "
      "install the Debian package googletest.")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KEYLOOM_GOOGLETEST_SOURCE_DIR} ${keyloom_deps_dir}/googletest
    EXCLUDE_FROM_ALL SYSTEM)
  keyloom_read_version(keyloom_gtest_version ${KEYLOOM_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt
    "GOOGLETEST_VERSION ([0-9.]+)")
  keyloom_provide_package(GTest ${keyloom_gtest_version})
endif()

# Wine sets up its prefix on its first start, which takes longer than test discovery may; it is
# done here, once per build folder, so that discovery and the tests find it ready.
if(CMAKE_CROSSCOMPILING_EMULATOR AND KEYLOOM_BUILD_TESTS
   AND NOT EXISTS ${CMAKE_BINARY_DIR}/wine/system.reg)
  message(STATUS "Setting up Wine's prefix in ${CMAKE_BINARY_DIR}/wine")
  execute_process(
    COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init
    RESULT_VARIABLE keyloom_wineboot_result
    OUTPUT_VARIABLE keyloom_wineboot_output
    ERROR_VARIABLE keyloom_wineboot_output)
  if(NOT keyloom_wineboot_result EQUAL 0)
    message(FATAL_ERROR "wineboot failed:\n${keyloom_wineboot_output}")
  endif()
endif()
