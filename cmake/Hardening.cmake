# Release and package builds are hardened as Debian builds its packages: stack protector, checked libc calls
# (FORTIFY), read-only relocations bound at start (RELRO, BIND_NOW) and a position-independent executable. The
# flags come from dpkg-buildflags, so they follow what the distribution asks for; build types without
# optimisation are left alone (FORTIFY needs it, and sanitizer builds bring their own checks).
option(STOWLINE_HARDENING "Build release types with the distribution's hardening flags" ON)

include(CheckPIESupported)
check_pie_supported(LANGUAGES CXX)

set(STOWLINE_HARDENING_COMPILE_FLAGS "")
set(STOWLINE_HARDENING_LINK_FLAGS "")
if(STOWLINE_HARDENING AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    find_program(STOWLINE_DPKG_BUILDFLAGS dpkg-buildflags)
    if(STOWLINE_DPKG_BUILDFLAGS)
        foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
            execute_process(
                COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                        ${STOWLINE_DPKG_BUILDFLAGS} --get ${kind}
                OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
            separate_arguments(flags UNIX_COMMAND "${flags}")
            # Optimisation and debug information stay with the build type; the prefix map names the folder
            # the flags were asked in, which would make every worktree's compiles differ.
            list(FILTER flags EXCLUDE REGEX "^-(O.*|g.*|ffile-prefix-map=.*|fdebug-prefix-map=.*)$")
            if(kind STREQUAL "LDFLAGS")
                list(APPEND STOWLINE_HARDENING_LINK_FLAGS ${flags})
            else()
                list(APPEND STOWLINE_HARDENING_COMPILE_FLAGS ${flags})
            endif()
        endforeach()
    else()
        set(STOWLINE_HARDENING_COMPILE_FLAGS -fstack-protector-strong -D_FORTIFY_SOURCE=2 -Wformat
                                             -Werror=format-security)
        set(STOWLINE_HARDENING_LINK_FLAGS -Wl,-z,relro -Wl,-z,now)
    endif()
    # Level 3 also checks copies into buffers whose size is known only at run time. At level 2 the executable
    # has no checked call at all (its copies go to heap buffers), which lintian reports as missing FORTIFY.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12)
        list(TRANSFORM STOWLINE_HARDENING_COMPILE_FLAGS REPLACE "^-D_FORTIFY_SOURCE=[12]$" "-D_FORTIFY_SOURCE=3")
        list(PREPEND STOWLINE_HARDENING_COMPILE_FLAGS -U_FORTIFY_SOURCE)
    endif()
    message(STATUS "Hardening: ${STOWLINE_HARDENING_COMPILE_FLAGS} ${STOWLINE_HARDENING_LINK_FLAGS}")
endif()

# Taken by the code that goes into the shipped executable (core, platform adapters, application); tests and
# benches keep the plain flags and only link the hardened libraries.
add_library(stowline_hardening INTERFACE)
target_compile_options(stowline_hardening INTERFACE ${STOWLINE_HARDENING_COMPILE_FLAGS})
target_link_options(stowline_hardening INTERFACE ${STOWLINE_HARDENING_LINK_FLAGS})
