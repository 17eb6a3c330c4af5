# cmake -DBUILD_DIR=... -DPREFIX=... -DPROGRAM_DIR=... -DDATA_DIR=... -DAPP_ID=... -DWITH_UI=ON|OFF
#       -DWITH_EMU_MAN_PAGE=0|1 [-DPYTHON=... -DPYTHON_DIR=...] -P check_install.cmake

function(fail)
  string(JOIN "" message ${ARGN})
  message(FATAL_ERROR "${message}")
endfunction()

function(require_files)
  foreach(file IN LISTS ARGN)
    if(NOT EXISTS "${PREFIX}/${file}")
      fail("not installed: ${file}")
    endif()
  endforeach()
endfunction()

# The width and height in a PNG file's header.
function(png_size file out)
  file(READ "${file}" header OFFSET 0 LIMIT 24 HEX)
  if(NOT header MATCHES "^89504e470d0a1a0a")
    fail("not a PNG file: ${file}")
  endif()
  string(SUBSTRING "${header}" 32 8 width_hex)
  string(SUBSTRING "${header}" 40 8 height_hex)
  math(EXPR width "0x${width_hex}")
  math(EXPR height "0x${height_hex}")
  set(${out} "${width}x${height}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  fail("cmake --install failed: ${errors}")
endif()

require_files(bin/bldc-emu share/doc/bldc-demo/copyright share/doc/bldc-demo/changelog.Debian.gz)
if(WITH_EMU_MAN_PAGE)
  require_files(share/man/man1/bldc-emu.1.gz)
endif()

if(WITH_UI)
  # The window program and its pictures side by side, reached through a relative link.
  require_files(${PROGRAM_DIR}/bldc-demo ${DATA_DIR}/circuit.bmp ${DATA_DIR}/inv-drv.bmp
                ${DATA_DIR}/p-mosfet.bmp share/man/man1/bldc-demo.1.gz
                share/applications/${APP_ID}.desktop share/metainfo/${APP_ID}.metainfo.xml
                share/icons/hicolor/scalable/apps/${APP_ID}.svg)
  if(NOT IS_SYMLINK "${PREFIX}/bin/bldc-demo")
    fail("bin/bldc-demo is not a link")
  endif()
  file(READ_SYMLINK "${PREFIX}/bin/bldc-demo" link)
  if(IS_ABSOLUTE "${link}")
    fail("bin/bldc-demo links to an absolute path, ${link}, which breaks in a moved tree")
  endif()
  file(REAL_PATH "${PREFIX}/bin/bldc-demo" reached)
  file(REAL_PATH "${PREFIX}/${PROGRAM_DIR}/bldc-demo" program)
  if(NOT reached STREQUAL program)
    fail("bin/bldc-demo leads to ${reached}, not to ${program}")
  endif()

  # The desktop entry names the icon and the program; the metainfo names the desktop entry.
  file(STRINGS "${PREFIX}/share/applications/${APP_ID}.desktop" icon REGEX "^Icon=")
  file(STRINGS "${PREFIX}/share/applications/${APP_ID}.desktop" exec REGEX "^Exec=")
  if(NOT icon STREQUAL "Icon=${APP_ID}" OR NOT exec STREQUAL "Exec=bldc-demo")
    fail("desktop entry: '${icon}', '${exec}'")
  endif()
  file(READ "${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml" metainfo)
  if(NOT metainfo MATCHES "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>")
    fail("the metainfo does not launch ${APP_ID}.desktop")
  endif()

  # Data that is the same on every architecture lives under share/, not beside the program.
  file(GLOB beside "${PREFIX}/${PROGRAM_DIR}/*.bmp")
  if(beside)
    fail("pictures beside the installed program: ${beside}")
  endif()

  # The window's manual page lists the window's keys, from the list its help box shows.
  execute_process(COMMAND gzip -dc "${PREFIX}/share/man/man1/bldc-demo.1.gz"
                  OUTPUT_VARIABLE page RESULT_VARIABLE result)
  foreach(expected "MOUSE AND KEYS" "Ctrl+E" "Shift+H" "Zero crossings" "scenario")
    string(FIND "${page}" "${expected}" at)
    if(NOT result EQUAL 0 OR at EQUAL -1)
      fail("bldc-demo.1 does not mention '${expected}'")
    endif()
  endforeach()

  # Each PNG icon has the size its folder promises.
  file(GLOB pngs RELATIVE "${PREFIX}/share/icons/hicolor"
       "${PREFIX}/share/icons/hicolor/*/apps/${APP_ID}.png")
  list(LENGTH pngs count)
  if(count LESS 4)
    fail("only ${count} PNG icons installed")
  endif()
  foreach(png IN LISTS pngs)
    string(REGEX REPLACE "/.*" "" folder "${png}")
    png_size("${PREFIX}/share/icons/hicolor/${png}" size)
    if(NOT size STREQUAL folder)
      fail("icon ${png} is ${size}")
    endif()
  endforeach()
endif()

# No placeholder address or home page anywhere in what is installed.
file(GLOB_RECURSE texts "${PREFIX}/share/*.desktop" "${PREFIX}/share/*.xml"
     "${PREFIX}/share/doc/*/copyright")
foreach(text IN LISTS texts)
  file(READ "${text}" content)
  if(content MATCHES "example\\.(org|com)")
    fail("a placeholder address in ${text}")
  endif()
endforeach()

# The installed front end runs from anywhere: the default run, and a picture of the graph,
# which needs Qt's offscreen platform to be found from the installed program.
set(emu "${PREFIX}/bin/bldc-emu")
execute_process(COMMAND "${emu}" --summary WORKING_DIRECTORY "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
if(NOT result EQUAL 0 OR NOT out MATCHES "RPM = 13892;")
  fail("installed bldc-emu --summary: exit ${result}\n${out}${err}")
endif()
execute_process(COMMAND "${emu}" --help RESULT_VARIABLE result OUTPUT_VARIABLE out)
if(NOT out MATCHES "\"--\" ends the options")
  fail("bldc-emu --help does not say what \"--\" does")
endif()
if(WITH_UI)
  execute_process(COMMAND "${emu}" --png "${PREFIX}/graph.png" WORKING_DIRECTORY "${PREFIX}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
  if(NOT result EQUAL 0)
    fail("installed bldc-emu --png: exit ${result}\n${out}${err}")
  endif()
  png_size("${PREFIX}/graph.png" size)
  if(NOT size STREQUAL "539x470")
    fail("installed bldc-emu --png drew ${size}")
  endif()
endif()

# The Python module, where Debian's Python looks for it, runs the default run.
if(PYTHON)
  set(package "${PREFIX}/${PYTHON_DIR}/bldc_emu")
  require_files("${PYTHON_DIR}/bldc_emu/__init__.py" "${PYTHON_DIR}/bldc_emu/studies.py"
                "${PYTHON_DIR}/bldc_emu/_core.pyi")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env "PYTHONPATH=${PREFIX}/${PYTHON_DIR}"
                          "${PYTHON}" -c "import bldc_emu; print(bldc_emu.__file__); print(bldc_emu.Scenario().run().summary)"
                  WORKING_DIRECTORY "${PREFIX}"
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err TIMEOUT 120)
  if(NOT result EQUAL 0 OR NOT out MATCHES "^${package}/__init__.py\nRPM = 13892;")
    fail("the installed module: exit ${result}\n${out}${err}")
  endif()
endif()
