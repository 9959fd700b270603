# Natively we use Debian's libgtest-dev; for the Windows build googletest is compiled
# from Debian's source copy with the mingw toolchain (Debian ships no mingw binaries).
if(WIN32)
  set(NORVIK_GTEST_SRC /usr/src/googletest CACHE PATH "googletest sources")
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${NORVIK_GTEST_SRC} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # googletest defines GTest::gtest and GTest::gtest_main itself.
else()
  find_package(GTest REQUIRED)
endif()
