# DCMTK for the DICOM module, as the interface target quarvel_dcmtk: the
# network layer (dcmnet) and the data sets (dcmdata). Debian's
# DCMTKConfig.cmake gives imported targets; where it is missing or broken
# (it checks every file it names) the plain libraries do. Its pkg-config
# file is no help: it names libraries the package does not ship.
add_library(quarvel_dcmtk INTERFACE)

find_package(DCMTK CONFIG QUIET)
if(TARGET DCMTK::dcmnet AND TARGET DCMTK::dcmdata)
    target_link_libraries(quarvel_dcmtk INTERFACE DCMTK::dcmnet DCMTK::dcmdata)
    return()
endif()

find_path(QUARVEL_DCMTK_INCLUDE dcmtk/dcmnet/assoc.h)
foreach(library dcmnet dcmdata oflog ofstd)
    find_library(QUARVEL_DCMTK_${library} ${library})
    if(NOT QUARVEL_DCMTK_${library})
        message(FATAL_ERROR "DCMTK's library ${library} is missing: install libdcmtk-dev, "
                            "or configure with -DQUARVEL_DICOM=OFF")
    endif()
    target_link_libraries(quarvel_dcmtk INTERFACE ${QUARVEL_DCMTK_${library}})
endforeach()
if(NOT QUARVEL_DCMTK_INCLUDE)
    message(FATAL_ERROR "DCMTK's headers are missing: install libdcmtk-dev, or configure with -DQUARVEL_DICOM=OFF")
endif()
target_include_directories(quarvel_dcmtk INTERFACE ${QUARVEL_DCMTK_INCLUDE})
