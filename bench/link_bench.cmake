# The upload over the pseudo-terminal: runs the built simulator and loads the built library.
find_package(nlohmann_json REQUIRED)
tabulo_bench(link_bench SOURCES link_bench.cpp ${PROJECT_SOURCE_DIR}/tests/kestrel/basesim_process.cpp
             ${PROJECT_SOURCE_DIR}/tests/support/run_program.cpp LIBS nlohmann_json::nlohmann_json ${CMAKE_DL_LIBS})
add_dependencies(link_bench kestrel kestrel-basesim)
# tabulo send --sites to 10 simulated bases, each behind its own ser2net.
tabulo_bench(sites_bench SOURCES sites_bench.cpp ${PROJECT_SOURCE_DIR}/tests/kestrel/basesim_process.cpp
             ${PROJECT_SOURCE_DIR}/tests/kestrel/ser2net_process.cpp ${PROJECT_SOURCE_DIR}/tests/support/run_program.cpp
             LIBS nlohmann_json::nlohmann_json ${CMAKE_DL_LIBS})
add_dependencies(sites_bench tabulo kestrel kestrel-basesim)
