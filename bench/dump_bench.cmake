# The dump and register benchmark; included from bench/CMakeLists.txt.
add_executable(dump_bench ${CMAKE_CURRENT_LIST_DIR}/dump_bench.cpp)
target_link_libraries(dump_bench PRIVATE kvoter_register)
