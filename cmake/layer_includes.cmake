# Fails when a file in src/ includes by a path of its own ("../window/...", "/home/..."): such
# a path steps round the include folders that keep each layer to the layers below it. Run by
# the build (cmake -D ROOT=<src> -D STAMP=<file> -P layer_includes.cmake), it touches STAMP
# when every include names a folder ("services/...") or a file beside the includer.
file(GLOB_RECURSE files "${ROOT}/*.h" "${ROOT}/*.cpp")
set(found "")
foreach(file IN LISTS files)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"(\\.\\./|/)")
  foreach(line IN LISTS lines)
    file(RELATIVE_PATH name "${ROOT}" "${file}")
    string(APPEND found "  src/${name}: ${line}\n")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "Includes by a path of their own, which may point up the layers; "
                      "name the layer's folder instead (\"services/sounds.h\"):\n${found}")
endif()
file(TOUCH "${STAMP}")
