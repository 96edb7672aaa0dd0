# Each module folder under src/ is one library. Its headers are included by
# folder ("config/Configuration.h"), and only through the include root the
# module exports: a library that does not link a module cannot include it.
#
#   quarvel_module_include_root(<target> <folder>)
#
# makes <build>/include/<folder>/<folder> a link to src/<folder> and puts
# <build>/include/<folder> on the target's public include path.
function(quarvel_module_include_root target folder)
    set(root ${PROJECT_BINARY_DIR}/include/${folder})
    file(MAKE_DIRECTORY ${root})
    if(NOT EXISTS ${root}/${folder})
        file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${root}/${folder} SYMBOLIC)
    endif()
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
endfunction()
