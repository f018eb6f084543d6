# Libraries the program needs only for some commands (mail, signed
# receipts, archives, spreadsheets, the database server) are loaded the
# first time one of their functions is called, not when the program
# starts: every library linked in the usual way is mapped and relocated
# before main(), and these few dozen (with what they pull in: Kerberos,
# LDAP, GnuTLS, GPGME...) cost more than the whole main window.
#
# falmide_lazy_library(<target> <imported library target> [file-name-regex]) makes a static
# library <target> that stands for the imported one: the same headers, and
# one small entry per exported function that loads the library with
# dlopen() on its first call (src/lazylib) and then jumps straight to the
# function. Only functions are covered; code that used one of the
# library's variables would fail to link, which says so at once.
# The entries are x86-64 machine code; elsewhere the library is linked as
# usual.

set(FALMIDE_LAZY_LIBRARY_DIR ${CMAKE_CURRENT_LIST_DIR}/../src/lazylib)

function(_falmide_lazy_shared_file imported pattern out_var)
    set(links "")
    set(properties INTERFACE_LINK_LIBRARIES IMPORTED_LOCATION)
    get_target_property(configurations ${imported} IMPORTED_CONFIGURATIONS)
    foreach(configuration IN LISTS configurations)
        list(APPEND properties IMPORTED_LOCATION_${configuration})
    endforeach()
    foreach(property IN LISTS properties)
        get_target_property(value ${imported} ${property})
        if(value)
            list(APPEND links ${value})
        endif()
    endforeach()
    foreach(candidate IN LISTS links)
        get_filename_component(file_name "${candidate}" NAME)
        if(candidate MATCHES "\\.so(\\.[0-9]+)*$" AND file_name MATCHES "${pattern}"
           AND EXISTS "${candidate}")
            set(${out_var} "${candidate}" PARENT_SCOPE)
            return()
        endif()
    endforeach()
    message(FATAL_ERROR "falmide_lazy_library: no shared library file for ${imported} (${links})")
endfunction()

function(falmide_lazy_library target imported)
    # A package may name several libraries (GMime: GObject, GLib too): the
    # optional third argument picks one by its file name.
    set(pattern ".")
    if(ARGC GREATER 2)
        set(pattern "${ARGV2}")
    endif()
    _falmide_lazy_shared_file(${imported} "${pattern}" library)
    if(NOT CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64)$")
        add_library(${target} INTERFACE)
        target_link_libraries(${target} INTERFACE ${imported})
        return()
    endif()

    find_program(FALMIDE_READELF readelf REQUIRED)
    find_program(FALMIDE_NM nm REQUIRED)
    execute_process(COMMAND ${FALMIDE_READELF} -d ${library}
                    OUTPUT_VARIABLE dynamic COMMAND_ERROR_IS_FATAL ANY)
    if(NOT dynamic MATCHES "Library soname: \\[([^]]+)\\]")
        message(FATAL_ERROR "falmide_lazy_library: ${library} has no SONAME")
    endif()
    set(soname ${CMAKE_MATCH_1})
    execute_process(COMMAND ${FALMIDE_NM} -D --defined-only ${library}
                    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    # Functions only: T (text), W (weak), i (chosen by the CPU at load).
    string(REGEX MATCHALL "[0-9a-f]+ [TWi] [A-Za-z_][A-Za-z0-9_]*" entries "${symbols}")
    set(names "")
    foreach(entry IN LISTS entries)
        string(REGEX REPLACE "^[0-9a-f]+ [TWi] " "" name "${entry}")
        list(APPEND names ${name})
    endforeach()
    list(REMOVE_DUPLICATES names)
    list(FILTER names EXCLUDE REGEX "^(_init|_fini)$")
    list(LENGTH names count)
    if(count EQUAL 0)
        message(FATAL_ERROR "falmide_lazy_library: ${library} exports no function")
    endif()

    # One assembler macro per entry keeps the generated file short; the
    # macros themselves live in LazyEntries.h.
    set_property(GLOBAL APPEND PROPERTY FALMIDE_LAZY_SONAMES ${soname})
    string(MAKE_C_IDENTIFIER "${target}" id)
    set(body "// Made by cmake/LazyLibrary.cmake from ${library}: do not edit.\n")
    string(APPEND body "#include \"LazyEntries.h\"\n\n")
    string(APPEND body "FALMIDE_LAZY_BEGIN(${id}, \"${soname}\", ${count})\n")
    set(index 0)
    foreach(name IN LISTS names)
        string(APPEND body "FALMIDE_LAZY_ENTRY(${id}, ${name}, ${index})\n")
        math(EXPR index "${index} + 1")
    endforeach()
    string(APPEND body "FALMIDE_LAZY_END(${id})\n")
    set(generated ${CMAKE_CURRENT_BINARY_DIR}/${target}_entries.cpp)
    file(CONFIGURE OUTPUT ${generated} CONTENT "${body}" @ONLY)

    add_library(${target} STATIC ${generated})
    target_include_directories(${target} PRIVATE ${FALMIDE_LAZY_LIBRARY_DIR})
    target_link_libraries(${target} PUBLIC falmide_lazylib)
    get_target_property(includes ${imported} INTERFACE_INCLUDE_DIRECTORIES)
    if(includes)
        target_include_directories(${target} SYSTEM INTERFACE ${includes})
    endif()
    get_target_property(options ${imported} INTERFACE_COMPILE_OPTIONS)
    if(options)
        target_compile_options(${target} INTERFACE ${options})
    endif()
    get_target_property(definitions ${imported} INTERFACE_COMPILE_DEFINITIONS)
    if(definitions)
        target_compile_definitions(${target} INTERFACE ${definitions})
    endif()
endfunction()

# The same for a C++ library. The sanitizers' check of virtual calls reads
# each class's type description, a variable of the library, which entries
# cannot stand for: the sanitizer build links these libraries as usual.
function(falmide_lazy_cxx_library target imported)
    if(FALMIDE_SANITIZE)
        add_library(${target} INTERFACE)
        target_link_libraries(${target} INTERFACE ${imported})
    else()
        falmide_lazy_library(${target} ${imported} ${ARGN})
    endif()
endfunction()
