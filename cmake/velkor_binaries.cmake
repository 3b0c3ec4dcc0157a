# What every shipped binary carries, so that Windows administrators and Windows
# itself see what is installed: a version resource, and for the program an
# application manifest.

set(VELKOR_BINARIES_DIR ${CMAKE_CURRENT_LIST_DIR})

# velkor_version_resource(<target> DESCRIPTION <text> [MANIFEST <file>])
# Gives <target> a version resource: file and product version (the project's
# version), description, product and original file name. With MANIFEST, the
# file becomes the program's application manifest. The target counts as a
# shipped binary (global property VELKOR_SHIPPED_BINARIES), which the tests of
# what is shipped go through.
function(velkor_version_resource target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION;MANIFEST" "")
  if(NOT arg_DESCRIPTION)
    message(FATAL_ERROR "velkor_version_resource(${target}): DESCRIPTION is required")
  endif()
  get_target_property(type ${target} TYPE)
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  if(type STREQUAL "EXECUTABLE")
    set(VELKOR_RC_FILE_TYPE VFT_APP)
    set(VELKOR_RC_FILE_NAME ${name}.exe)
  else()
    set(VELKOR_RC_FILE_TYPE VFT_DLL)
    set(VELKOR_RC_FILE_NAME ${name}.dll)
  endif()
  set(VELKOR_RC_DESCRIPTION "${arg_DESCRIPTION}")
  set(VELKOR_RC_INTERNAL_NAME ${name})
  set(VELKOR_RC_MANIFEST "")
  if(arg_MANIFEST)
    # 1 = the manifest a process is created with, 24 = RT_MANIFEST.
    set(VELKOR_RC_MANIFEST "1 24 \"${arg_MANIFEST}\"")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${VELKOR_BINARIES_DIR}/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  set_property(GLOBAL APPEND PROPERTY VELKOR_SHIPPED_BINARIES ${target})
  if(arg_MANIFEST)
    set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS ${arg_MANIFEST})
  endif()
endfunction()

# velkor_split_debug_info(<target>)
# The loader reads the whole image into memory, debug sections included, where
# they would count towards every process's working set: they move to
# <file>.debug beside the binary, which debuggers find through the link left in it.
function(velkor_split_debug_info target)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE_NAME:${target}> $<TARGET_FILE_NAME:${target}>.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-debug --add-gnu-debuglink=$<TARGET_FILE_NAME:${target}>.debug
            $<TARGET_FILE_NAME:${target}>
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    VERBATIM)
endfunction()

# velkor_component(<target> DESCRIPTION <text>)
# Makes a SHARED library (with its .def file among its sources) a stand-in for
# one of the agent's libraries: <target>.dll without a prefix, built into bin/
# beside Velkor.exe, seeing Velkor's src/ for the interfaces in src/platform,
# its exports under their plain names on both widths (32-bit __stdcall names
# lose their @n decoration), a version resource, and its debug information in
# a file of its own.
function(velkor_component target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "DESCRIPTION" "")
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    OUTPUT_NAME ${target}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_link_options(${target} PRIVATE -Wl,--kill-at -Wl,--enable-stdcall-fixup)
  velkor_version_resource(${target} DESCRIPTION "${arg_DESCRIPTION}")
  velkor_split_debug_info(${target})
endfunction()
