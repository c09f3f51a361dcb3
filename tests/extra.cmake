# The loader's fuzz corpus and kept crashing inputs, replayed once under AddressSanitizer
# and UndefinedBehaviorSanitizer. The model sources are compiled into the replay program
# with the sanitizers (gcc can do that; libFuzzer itself is built by scripts/fuzz.sh).
set(FUZZ_MODEL_SOURCES ${TAVLOR_MODEL_SOURCES})
if(FUZZ_MODEL_SOURCES)
  add_executable(fuzz_replay ${PROJECT_SOURCE_DIR}/fuzz/load_fuzzer.cpp ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp
                             ${FUZZ_MODEL_SOURCES})
  target_include_directories(fuzz_replay PRIVATE ${PROJECT_SOURCE_DIR}/app ${PROJECT_SOURCE_DIR})
  target_compile_options(fuzz_replay PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all
                                             -fno-omit-frame-pointer)
  target_link_options(fuzz_replay PRIVATE -fsanitize=address,undefined)
  target_link_libraries(fuzz_replay PRIVATE tavplatform)
  add_test(NAME fuzz_corpus_replay COMMAND fuzz_replay ${PROJECT_SOURCE_DIR}/fuzz/corpus
                                           ${PROJECT_SOURCE_DIR}/fuzz/crashes)
  set_tests_properties(fuzz_corpus_replay PROPERTIES TIMEOUT 300)
endif()
if(TARGET Tavlor40)
  add_subdirectory(gui)
endif()
if(TARGET tavplugin)
  include(${CMAKE_CURRENT_SOURCE_DIR}/plugin/plugin_tests.cmake)
endif()
