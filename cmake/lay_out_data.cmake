# Copies the shipped data folder next to the executable without overwriting what a run wrote
# (settings, logs, history), so the build folder stays a working program folder.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(f ${files})
  if(NOT EXISTS ${DST}/${f})
    get_filename_component(dir ${DST}/${f} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    file(COPY ${SRC}/${f} DESTINATION ${dir})
  endif()
endforeach()
foreach(d system profiles language logs skins/skinthemes smiles sound plugins avatars board history download)
  file(MAKE_DIRECTORY ${DST}/${d})
endforeach()
