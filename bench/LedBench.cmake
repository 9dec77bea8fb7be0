# The LED group benchmark; included from bench/CMakeLists.txt.
find_package(benchmark REQUIRED)
add_executable(LedGroupBench ${CMAKE_CURRENT_LIST_DIR}/LedGroupBench.cpp)
target_link_libraries(LedGroupBench PRIVATE QuillonLed benchmark::benchmark)
