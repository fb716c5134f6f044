# Shared compile settings for every target of the project.
add_library(quorvane_options INTERFACE)
target_compile_options(quorvane_options INTERFACE
    -Wall -Wextra -Wnon-virtual-dtor -Woverloaded-virtual)
if(QUORVANE_SANITIZE)
    target_compile_options(quorvane_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(quorvane_options INTERFACE -fsanitize=address,undefined)
endif()

# qv_library(<folder-name> LIBS <deps...>): one static library per source folder.
# Sources are picked up from the folder so that adding a file needs no list edit.
function(qv_library name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    if(sources)
        add_library(quorvane_${name} STATIC ${sources})
        target_include_directories(quorvane_${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(quorvane_${name} PUBLIC quorvane_options ${ARG_LIBS})
    else()
        # A folder whose code has not landed yet still offers its target.
        add_library(quorvane_${name} INTERFACE)
        target_include_directories(quorvane_${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(quorvane_${name} INTERFACE quorvane_options ${ARG_LIBS})
    endif()
endfunction()

# qv_test_suite(<name> FOLDER <dir> LIBS <deps...> [CORE_ONLY]): one GoogleTest executable per
# test folder, every *_test.cpp in it, registered with CTest test by test. CORE_ONLY suites link
# their LIBS and GoogleTest's own main instead of the shared test support (which brings the
# record layer and a QApplication).
function(qv_test_suite name)
    cmake_parse_arguments(ARG "CORE_ONLY" "FOLDER" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${ARG_FOLDER}/*_test.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources})
    if(ARG_CORE_ONLY)
        target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    else()
        target_link_libraries(${name} PRIVATE quorvane_testsupport ${ARG_LIBS})
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QTEST_FUNCTION_TIMEOUT=20000"
                   TIMEOUT 120)
endfunction()
