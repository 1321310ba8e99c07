# Every fuzz target, built by the ordinary compiler around seed_driver.cpp and
# run by CTest over its seed files and a fixed number of their mutations, about
# two seconds' worth each: a target that no longer compiles fails the build,
# and one that crashes, or a seed its parser no longer takes, fails the tests.
# A crash leaves its input in build/fuzz/fuzz_<target>-crash.bin, for the
# libFuzzer build (fuzz/CMakeLists.txt) to replay.
set(FUZZ_SEED_RUNS
  rdm_answer_fuzz=30000
  report_descriptor_fuzz=5000000
  ini_file_fuzz=1500
  network_announcement_fuzz=1000000
  stream_file_fuzz=100000)
foreach(entry ${FUZZ_SEED_RUNS})
  string(REPLACE "=" ";" entry ${entry})
  list(GET entry 0 target)
  list(GET entry 1 runs)
  add_executable(fuzz_${target} ${CMAKE_CURRENT_LIST_DIR}/${target}.cpp ${CMAKE_CURRENT_LIST_DIR}/seed_driver.cpp)
  target_link_libraries(fuzz_${target} PRIVATE tamarind_core)
  set_target_properties(fuzz_${target} PROPERTIES AUTOUIC OFF RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  add_test(NAME fuzz_${target} COMMAND fuzz_${target} ${CMAKE_CURRENT_LIST_DIR}/corpus/${target} ${runs}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  set_tests_properties(fuzz_${target} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endforeach()
