# cmake -P: install, build the consumer both ways, run everything installed.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --config ${CONFIG})

set(lib ${prefix}/${LIBDIR})
# The printer application, where PAPPL was found: program, manual page, systemd unit.
set(app_files "")
if(EXISTS ${BUILD_DIR}/tools/printer-app/kt3600r-printer-app)
  set(app_files bin/kt3600r-printer-app share/man/man1/kt3600r-printer-app.1
      lib/systemd/system/kt3600r-printer-app.service)
endif()
foreach(f include/nyprkt3600r/nyprkt3600r.h include/nyprkt3600r/host_records.h
    include/nyhost/nyhost_control.h bin/ktprint bin/kt3600r-sim
    share/man/man1/ktprint.1 share/man/man1/kt3600r-sim.1
    share/locale/ja/LC_MESSAGES/ktprint.mo ${LIBDIR}/pkgconfig/nyprkt3600r.pc
    ${LIBDIR}/cmake/nyprkt3600r/nyprkt3600rConfig.cmake ${app_files})
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
file(GLOB versioned ${lib}/libnyprkt3600r.so.*.*.*)
if(NOT versioned)
  message(FATAL_ERROR "no versioned library in ${lib}")
endif()
run(readelf -d ${versioned})
if(NOT out MATCHES "SONAME\\) +Library soname: \\[libnyprkt3600r\\.so\\.[0-9]+\\]")
  message(FATAL_ERROR "no SONAME:\n${out}")
endif()

if(app_files)
  file(READ ${prefix}/lib/systemd/system/kt3600r-printer-app.service unit)
  if(NOT unit MATCHES "\nExecStart=${prefix}/bin/kt3600r-printer-app server ")
    message(FATAL_ERROR "the unit does not start the installed program:\n${unit}")
  endif()
endif()

# The sanitizer build's libraries carry their runtime: the consumer does not link it first.
set(ENV{ASAN_OPTIONS} "verify_asan_link_order=0:detect_leaks=0")
set(ENV{LD_LIBRARY_PATH} ${lib})

# pkg-config.
set(ENV{PKG_CONFIG_PATH} ${lib}/pkgconfig)
run(pkg-config --cflags --libs nyprkt3600r)
string(STRIP "${out}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
run(${C_COMPILER} -std=c11 -Wall -Wextra -Werror ${CONSUMER_DIR}/consumer.c ${flags}
    -o ${WORK_DIR}/consumer-pkg-config)
run(${WORK_DIR}/consumer-pkg-config)

# find_package.
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer-build
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_C_COMPILER=${C_COMPILER})
run(${CMAKE_COMMAND} --build ${WORK_DIR}/consumer-build)
run(${WORK_DIR}/consumer-build/consumer)

# The installed programs find their libraries and catalogues where they are.
unset(ENV{LD_LIBRARY_PATH})
run(${prefix}/bin/kt3600r-sim --help)
if(app_files)
  run(${prefix}/bin/kt3600r-printer-app --help)
endif()
set(ENV{LC_ALL} ja_JP.UTF-8)
run(${prefix}/bin/ktprint --help)
if(NOT out MATCHES "終了ステータス")
  message(FATAL_ERROR "installed ktprint does not speak Japanese:\n${out}")
endif()
message(STATUS "installed and consumed: ${prefix}")
