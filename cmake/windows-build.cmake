# What the Windows cross build takes from the Debian host: header-only libraries, and
# GoogleTest built from Debian's sources for the target. Tests run under Wine through
# tools/wine-session.sh, which CTest uses as the emulator of every .exe.

# nlohmann-json is header-only; its imported target would add the host's /usr/include,
# which holds the host's C library headers. Only its own folder is put on the path.
set(tavorin_host_headers ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${tavorin_host_headers})
file(CREATE_LINK /usr/include/nlohmann ${tavorin_host_headers}/nlohmann SYMBOLIC)
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED GLOBAL)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${tavorin_host_headers}
  INTERFACE_INCLUDE_DIRECTORIES ${tavorin_host_headers})
set(nlohmann_json_DIR /usr/share/cmake/nlohmann_json CACHE PATH "" FORCE)

if(BUILD_TESTING)
  set(TAVORIN_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian googletest)")
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${TAVORIN_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PROJECT_SOURCE_DIR}/tools/wine-session.sh run)
endif()
