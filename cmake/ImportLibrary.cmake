# bvx_module_definitions(DEF_FILE OUT_VAR): the .def file that this
# architecture's linker and dlltool read, in OUT_VAR. The .def files name the
# exports as i686 stdcall symbols (GetSize@4); x86-64 has one calling
# convention and no such suffix, so there a copy without the @N suffixes is
# written at configure time (the ordinals, " @1", stay). One source of truth.
function(bvx_module_definitions def_file out_var)
    if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
        set(${out_var} ${def_file} PARENT_SCOPE)
        return()
    endif()
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def_file})
    file(READ ${def_file} definitions)
    string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+" "\\1" definitions "${definitions}")
    get_filename_component(def_name ${def_file} NAME)
    set(x86_64_def ${CMAKE_BINARY_DIR}/generated/x86_64/${def_name})
    file(WRITE ${x86_64_def} "${definitions}")
    set(${out_var} ${x86_64_def} PARENT_SCOPE)
endfunction()

# bvx_import_library(NAME DLL_TARGET DEF_FILE): the interface library NAME
# that callers link, over the import library lib<NAME>.dll.a made from the
# DLL's .def (as bvx_module_definitions gives it) through dlltool, so that a
# caller's decorated stdcall reference (_GetSize@4) binds to the plain
# exported name.
function(bvx_import_library name dll_target def_file)
    set(import_lib ${CMAKE_ARCHIVE_OUTPUT_DIRECTORY}/lib${name}.dll.a)
    add_custom_command(OUTPUT ${import_lib}
        COMMAND ${BVX_DLLTOOL} --def ${def_file}
                --dllname ${name}.dll --kill-at --output-lib ${import_lib}
        DEPENDS ${def_file}
        COMMENT "Making the ${name}.dll import library")
    add_custom_target(${name}ImportLib DEPENDS ${import_lib} ${dll_target})
    add_library(${name} INTERFACE)
    add_dependencies(${name} ${name}ImportLib)
    target_link_libraries(${name} INTERFACE ${import_lib})
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR}/include)
endfunction()
