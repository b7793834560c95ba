# tesmaro_add_test(NAME name SOURCES files... LIBS libs... [GUI] [QT] [DESKTOP] [MAIN file]
#                  [XVFB_SCREEN WxHxD] [ENVIRONMENT VAR=value...])
#   GUI: the test needs a QGuiApplication but builds no widget (it links no Qt Widgets; offscreen);
#   QT: the test needs a QApplication (runs offscreen unless DESKTOP);
#   DESKTOP: the test drives a real X server and runs under Xvfb, whose screen is XVFB_SCREEN
#   (default 1280x1024x24);
#   MAIN: the test's own main() in place of the shared QApplication one (QT tests only);
#   ENVIRONMENT: more variables for the test process.
function(tesmaro_add_test)
    cmake_parse_arguments(T "GUI;QT;DESKTOP" "NAME;MAIN;XVFB_SCREEN" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    # Tests build requests with designated initializers that leave most fields to their defaults,
    # which GCC 12 reports as missing.
    target_compile_options(${T_NAME} PRIVATE -Wno-missing-field-initializers)
    if(T_GUI)
        target_sources(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/GuiTestMain.cpp)
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} Qt6::Test Qt6::Gui GTest::gtest)
    elseif(T_QT OR T_DESKTOP)
        if(T_MAIN)
            target_sources(${T_NAME} PRIVATE ${T_MAIN})
        else()
            target_sources(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
        endif()
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} Qt6::Test Qt6::Widgets GTest::gtest)
    else()
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    endif()
    if(T_DESKTOP)
        set(environment "TESMARO_BINARY=$<TARGET_FILE:tesmaro5>" ${T_ENVIRONMENT})
        if(T_XVFB_SCREEN)
            list(APPEND environment "TESMARO_XVFB_SCREEN=${T_XVFB_SCREEN}")
        endif()
        add_test(NAME ${T_NAME}
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/support/with-xvfb $<TARGET_FILE:${T_NAME}>)
        set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${environment}" RUN_SERIAL TRUE TIMEOUT 300)
    else()
        set(environment "QT_QPA_PLATFORM=offscreen" ${T_ENVIRONMENT})
        add_test(NAME ${T_NAME} COMMAND ${T_NAME})
        set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 300)
    endif()
endfunction()
