# Puts the repository's levels beside the game, in build/run/levels/, on
# every build, without ever destroying a level a designer changed there.
#
# The repository's levels/ is the source of truth. A staged level that was
# changed after the build put it there is kept, with a warning naming it,
# until the designer copies it back to levels/ (or deletes it to take the
# repository's copy again). Every other staged level follows the repository.
#
# What the build last put there is remembered in RECORD, so "changed" means
# "differs from what was staged", even when the repository has changed too.
# Without a record (a build directory staged before there was one), a staged
# level that differs from the repository's is taken as changed when it is
# not older.
#
# Included, this file defines stagelevelscommand(); run as
#   cmake -DLEVELS=dir -DSTAGED=dir -DRECORD=dir -P stagelevels.cmake
# it stages.

# Sets `var` to the command that stages the levels of `levels` into
# `staged`, keeping its record of them in `record`.
function(stagelevelscommand var levels staged record)
  set(${var} ${CMAKE_COMMAND} -DLEVELS=${levels} -DSTAGED=${staged} -DRECORD=${record}
      -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE} PARENT_SCOPE)
endfunction()

if(NOT CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  return()
endif()

foreach(dir LEVELS STAGED RECORD)
  if(NOT ${dir})
    message(FATAL_ERROR "stagelevels.cmake needs -D${dir}=directory")
  endif()
endforeach()
file(MAKE_DIRECTORY ${STAGED} ${RECORD})

# Sets `var` to the SHA-256 of `file`, or to "none" when there is no file.
function(hashof var file)
  if(EXISTS ${file})
    file(SHA256 ${file} hash)
  else()
    set(hash none)
  endif()
  set(${var} ${hash} PARENT_SCOPE)
endfunction()

# True in `var` when the staged level was changed since the build put it there.
function(changedhere var name)
  hashof(staged ${STAGED}/${name})
  hashof(recorded ${RECORD}/${name})
  if(recorded STREQUAL "none")
    set(changed FALSE)
    if(${STAGED}/${name} IS_NEWER_THAN ${LEVELS}/${name})
      set(changed TRUE)
    endif()
  elseif(staged STREQUAL recorded)
    set(changed FALSE)
  else()
    set(changed TRUE)
  endif()
  set(${var} ${changed} PARENT_SCOPE)
endfunction()

file(GLOB names RELATIVE ${LEVELS} ${LEVELS}/*)
foreach(name ${names})
  if(IS_DIRECTORY ${LEVELS}/${name})
    continue()
  endif()
  hashof(repository ${LEVELS}/${name})
  hashof(staged ${STAGED}/${name})
  if(NOT staged STREQUAL repository AND NOT staged STREQUAL "none")
    changedhere(changed ${name})
    if(changed)
      message(NOTICE "Warning: kept the changed level ${STAGED}/${name}, which differs from the "
                     "repository's ${LEVELS}/${name}. Copy it into the repository to keep the change, "
                     "or delete it to take the repository's level again.")
      continue()
    endif()
  endif()
  configure_file(${LEVELS}/${name} ${STAGED}/${name} COPYONLY)
  configure_file(${LEVELS}/${name} ${RECORD}/${name} COPYONLY)
endforeach()
