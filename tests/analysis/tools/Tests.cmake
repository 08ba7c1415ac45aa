# The project-wide tools on resource lines: where-used search, correction and yields. The
# operations are tested without windows in test_analysis_tools, the three windows through typed
# keys in test_analysis_tools_gui.
set(tools_dir ${CMAKE_CURRENT_LIST_DIR})

korvex_test(test_analysis_tools
    SOURCES AnalysisFixture.cpp ${tools_dir}/ResourceToolsTest.cpp
    LIBS korvex_analysis)
target_include_directories(test_analysis_tools PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})

korvex_test(test_analysis_tools_gui
    SOURCES AnalysisFixture.cpp ${tools_dir}/ResourceWindowsTest.cpp
            ${PROJECT_SOURCE_DIR}/src/shell/wiring/resources.cpp
    LIBS korvex_analysis
    GUI)
target_include_directories(test_analysis_tools_gui PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})

# Not a test: draws the three windows into PNG files for the README (run under xvfb-run).
add_executable(korvex_tools_screenshots ${tools_dir}/ToolsScreenshots.cpp)
target_link_libraries(korvex_tools_screenshots PRIVATE korvex_analysis korvex_testsupport Qt6::Test)
