# GoogleTest for the tests of either module, and on Windows the Wine
# session every test program runs in.
if(WIN32)
    # GoogleTest is built from its source for the target; Debian's
    # googletest package puts the source here.
    set(GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's source, built for the Windows target")
    if(NOT EXISTS ${GOOGLETEST_SOURCE}/CMakeLists.txt)
        message(FATAL_ERROR "GoogleTest's source was not found; set GOOGLETEST_SOURCE")
    endif()
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    # gtest's own code does not build clean under our warning flags.
    foreach(lib gtest gtest_main)
        target_compile_options(${lib} PRIVATE -w)
    endforeach()
    set(GTEST_LIBS gtest gtest_main)

    set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
    add_test(NAME wine_up COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-session start ${WINE_PREFIX})
    add_test(NAME wine_down COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-session stop ${WINE_PREFIX})
    set_tests_properties(wine_up PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
    set_tests_properties(wine_down PROPERTIES FIXTURES_CLEANUP wine)
else()
    find_package(GTest REQUIRED)
    set(GTEST_LIBS GTest::gtest GTest::gtest_main)
    include(GoogleTest)
endif()

