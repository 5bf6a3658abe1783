# mirel_add_library(<folder> DEPS <targets...>)
# One static library per folder of src/, named mirel_<folder>. Sources are the .cpp and .h
# files of the folder (re-globbed on every build, so new files need no CMake edit).
function(mirel_add_library folder)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
    if(NOT sources)
        # A layer that holds no code yet still gives the layers above it a target to link.
        set(sources "${PROJECT_SOURCE_DIR}/cmake/empty.cpp")
    endif()
    add_library(mirel_${folder} STATIC ${sources})
    target_include_directories(mirel_${folder} PUBLIC "${PROJECT_SOURCE_DIR}/src")
    target_link_libraries(mirel_${folder} PUBLIC ${ARG_DEPS})
endfunction()

# mirel_add_test(<folder> DEPS <targets...> [GUI])
# One GoogleTest executable per folder of tests/, registered with CTest as test_<folder>.
function(mirel_add_test folder)
    cmake_parse_arguments(ARG "GUI" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
    add_executable(test_${folder} ${sources})
    target_link_libraries(test_${folder} PRIVATE ${ARG_DEPS} mirel_testsupport GTest::gtest)
    if(ARG_GUI)
        target_link_libraries(test_${folder} PRIVATE mirel_testmain_gui)
    else()
        target_link_libraries(test_${folder} PRIVATE mirel_testmain)
    endif()
    add_test(NAME test_${folder} COMMAND test_${folder})
    set_tests_properties(test_${folder} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
        TIMEOUT 900)
endfunction()
