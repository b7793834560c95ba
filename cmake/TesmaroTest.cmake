# tesmaro_add_test(NAME name SOURCES files... LIBS libs... [QT] [DESKTOP])
#   QT: the test needs a QApplication (runs offscreen unless DESKTOP);
#   DESKTOP: the test drives a real X server and runs under Xvfb.
function(tesmaro_add_test)
    cmake_parse_arguments(T "QT;DESKTOP" "NAME" "SOURCES;LIBS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    if(T_QT OR T_DESKTOP)
        target_sources(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} Qt6::Test Qt6::Widgets GTest::gtest)
    else()
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    endif()
    if(T_DESKTOP)
        add_test(NAME ${T_NAME}
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb $<TARGET_FILE:${T_NAME}>)
        set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "TESMARO_BINARY=$<TARGET_FILE:tesmaro5>"
                             RUN_SERIAL TRUE TIMEOUT 300)
    else()
        add_test(NAME ${T_NAME} COMMAND ${T_NAME})
        set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
    endif()
endfunction()
