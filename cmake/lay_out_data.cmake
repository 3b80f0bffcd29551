# Copies the shipped data folder next to the executable, so the build folder is a working
# program folder. Settings and profiles a run may have changed are kept; the rest (themes,
# language files, smiles, sounds) is brought up to date.
file(GLOB_RECURSE files RELATIVE ${SRC} ${SRC}/*)
foreach(f ${files})
  if(f MATCHES "^(system|profiles)/" AND EXISTS ${DST}/${f})
    continue()
  endif()
  get_filename_component(dir ${DST}/${f} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  file(COPY ${SRC}/${f} DESTINATION ${dir})
endforeach()
foreach(d system profiles language logs skins/skinthemes smiles sound plugins avatars board history download)
  file(MAKE_DIRECTORY ${DST}/${d})
endforeach()
