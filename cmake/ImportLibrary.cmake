# bvx_import_library(NAME DLL_TARGET DEF_FILE): the interface library NAME
# that callers link, over the import library lib<NAME>.dll.a made from the
# DLL's .def through dlltool, so that a caller's decorated stdcall reference
# (_GetSize@4) binds to the plain exported name.
function(bvx_import_library name dll_target def_file)
    set(import_lib ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/lib${name}.dll.a)
    add_custom_command(OUTPUT ${import_lib}
        COMMAND i686-w64-mingw32-dlltool --def ${def_file}
                --dllname ${name}.dll --kill-at --output-lib ${import_lib}
        DEPENDS ${def_file}
        COMMENT "Making the ${name}.dll import library")
    add_custom_target(${name}ImportLib DEPENDS ${import_lib} ${dll_target})
    add_library(${name} INTERFACE)
    add_dependencies(${name} ${name}ImportLib)
    target_link_libraries(${name} INTERFACE ${import_lib})
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/include)
endfunction()
