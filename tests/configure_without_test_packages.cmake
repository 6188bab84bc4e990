# Configures the project afresh in BUILD_DIR with GoogleTest and Google
# Benchmark hidden, as on a machine that has neither; fails if that fails.
#   cmake -DSOURCE_DIR=... -DBUILD_DIR=... -DGENERATOR=... -P configure_without_test_packages.cmake
file(REMOVE_RECURSE ${BUILD_DIR})
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BUILD_DIR} -G ${GENERATOR}
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
  RESULT_VARIABLE result
  OUTPUT_VARIABLE output
  ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "A configure without the test packages failed:\n${output}")
endif()
file(REMOVE_RECURSE ${BUILD_DIR})
