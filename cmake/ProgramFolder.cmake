# The program folder: `cmake --install <build> --prefix <folder>` gives the complete portable folder
# (executables at its top, the delivered data beside them). The README's commands stage it at dist/.
#
# The user's own files (settings in data/*.dat, actions in Events/) are installed only where they are
# missing, so that staging again, or installing a newer build over a folder in use, never overwrites a
# setting or an action the user has changed. Languages, the manual and the gallery style are replaced.

set(_delivery ${PROJECT_SOURCE_DIR}/delivery)

install(DIRECTORY ${_delivery}/Lang ${_delivery}/help ${_delivery}/www DESTINATION .)
install(DIRECTORY DESTINATION logs)
install(DIRECTORY DESTINATION tmp)
install(DIRECTORY DESTINATION series)
install(DIRECTORY DESTINATION Events)
install(DIRECTORY DESTINATION data)

file(GLOB_RECURSE _user_files RELATIVE ${_delivery} CONFIGURE_DEPENDS ${_delivery}/data/* ${_delivery}/Events/*)
foreach(_file IN LISTS _user_files)
    get_filename_component(_dir ${_file} DIRECTORY)
    install(CODE "
        set(_target \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${_file}\")
        if(EXISTS \"\${_target}\")
            message(STATUS \"Kept (user file): \${_target}\")
        else()
            file(INSTALL \"${_delivery}/${_file}\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${_dir}\")
        endif()
    ")
endforeach()

# var.dat holds passwords: only its owner may read it.
install(CODE "
    if(EXISTS \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/data/var.dat\")
        file(CHMOD \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/data/var.dat\" PERMISSIONS OWNER_READ OWNER_WRITE)
    endif()
")
