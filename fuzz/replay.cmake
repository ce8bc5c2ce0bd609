# Replays the fuzz corpora (seeds and every input that once failed) through the fuzz targets'
# checks, with the normal compiler and without libFuzzer. Included from tests/CMakeLists.txt.
set(zelkov_fuzz_dir ${PROJECT_SOURCE_DIR}/fuzz)
foreach(target fuzz_fortran fuzz_c fuzz_run)
  add_executable(replay_${target} ${zelkov_fuzz_dir}/${target}.cpp ${zelkov_fuzz_dir}/replay_main.cpp)
  target_include_directories(replay_${target} PRIVATE ${zelkov_fuzz_dir})
  add_test(NAME replay_${target} COMMAND replay_${target} ${zelkov_fuzz_dir}/corpus/${target})
endforeach()
target_link_libraries(replay_fuzz_fortran PRIVATE zk_lang zk_base)
target_link_libraries(replay_fuzz_c PRIVATE zk_lang zk_base)
target_link_libraries(replay_fuzz_run PRIVATE zk_driver zk_base)
