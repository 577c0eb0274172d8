# Copies the demo event from SRC to DST: everything but the prize table is
# refreshed, the prize table is copied only when DST has none.
file(GLOB_RECURSE _files RELATIVE ${SRC} ${SRC}/*)
foreach(f IN LISTS _files)
  if(f STREQUAL "peizhi.a" AND EXISTS ${DST}/peizhi.a)
    continue()
  endif()
  get_filename_component(_dir ${DST}/${f} DIRECTORY)
  file(MAKE_DIRECTORY ${_dir})
  file(COPY_FILE ${SRC}/${f} ${DST}/${f} ONLY_IF_DIFFERENT)
endforeach()
