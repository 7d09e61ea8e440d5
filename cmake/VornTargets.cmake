# Compiler settings shared by every target of the project.

add_library(vorn_options INTERFACE)
target_compile_options(vorn_options INTERFACE -Wall -Wextra -Wpedantic)

if(VORN_SANITIZE)
    target_compile_options(vorn_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    target_link_options(vorn_options INTERFACE -fsanitize=address,undefined)
endif()

if(VORN_TSAN)
    target_compile_options(vorn_options INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(vorn_options INTERFACE -fsanitize=thread)
endif()

if(VORN_FUZZ)
    # Core libraries carry coverage so the fuzz targets can steer by it.
    target_compile_options(vorn_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
    target_link_options(vorn_options INTERFACE -fsanitize=address,undefined)
endif()

if(CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo)$")
    target_compile_options(vorn_options INTERFACE
        -D_FORTIFY_SOURCE=2 -fstack-protector-strong -fPIE)
    target_link_options(vorn_options INTERFACE -pie -Wl,-z,relro,-z,now)
endif()

# vorn_add_library(NAME SOURCES...): one static library of the project.
function(vorn_add_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC vorn_options)
endfunction()

# vorn_add_test(NAME SOURCES... LIBS libs...): one GoogleTest program under CTest.
function(vorn_add_test name)
    cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} vorn_options GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30
        PROPERTIES ENVIRONMENT "VORN_BUILD_DIR=${PROJECT_BINARY_DIR}")
endfunction()
