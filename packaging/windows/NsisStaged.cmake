# Run by CPack once it has laid out the folder it packs. For the set-up: the zip's read-me goes
# (its steps are the unzipping ones; the read-me window has the installed program's), every file
# and folder is dated the release date, which makensis stores for the installer to set on the PC,
# and NSIS.template.in gets the lists its uninstaller removes, by name: no folder is removed with
# what it holds, since a user's files may lie among ours. Also the size the uninstall entry
# states, and the release date as a Windows file time, which the uninstaller is given too.
if(NOT CPACK_GENERATOR STREQUAL "NSIS")
  return()
endif()
set(folder ${CPACK_TEMPORARY_DIRECTORY})
file(REMOVE ${folder}/読んでください.txt)

file(GLOB_RECURSE files RELATIVE ${folder} ${folder}/*)
file(GLOB_RECURSE entries RELATIVE ${folder} LIST_DIRECTORIES true ${folder}/*)
list(REMOVE_ITEM entries ${files})
set(folders ${entries})
list(SORT files)
list(SORT folders)
# A folder after everything in it.
list(REVERSE folders)

set(TAMSEL_NSIS_DELETE_FILES "")
set(bytes 0)
foreach(file IN LISTS files)
  file(SIZE ${folder}/${file} size)
  math(EXPR bytes "${bytes} + ${size}")
  string(REPLACE "/" "\\" path "${file}")
  string(APPEND TAMSEL_NSIS_DELETE_FILES "  Delete \"$INSTDIR\\${path}\"\n")
endforeach()
set(TAMSEL_NSIS_REMOVE_FOLDERS "")
foreach(entry IN LISTS folders)
  string(REPLACE "/" "\\" path "${entry}")
  string(APPEND TAMSEL_NSIS_REMOVE_FOLDERS "  RMDir \"$INSTDIR\\${path}\"\n")
endforeach()
math(EXPR TAMSEL_NSIS_SIZE_KB "(${bytes} + 1023) / 1024")

list(TRANSFORM files PREPEND ${folder}/)
list(TRANSFORM folders PREPEND ${folder}/)
execute_process(COMMAND touch -d @$ENV{SOURCE_DATE_EPOCH} ${files} ${folders}
                COMMAND_ERROR_IS_FATAL ANY)
# 100-nanosecond steps since 1601.
math(EXPR TAMSEL_NSIS_RELEASE_FILETIME "($ENV{SOURCE_DATE_EPOCH} + 11644473600) * 10000000")
