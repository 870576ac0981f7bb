# Finds QScintilla built for Qt 6 and provides the imported target
# QScintilla::QScintilla. With TARNWICK_QSCINTILLA_PREFIX set (the default:
# deps/qscintilla, built by scripts/build-qscintilla.sh) only that build is
# taken, never the system's by accident.
if(TARNWICK_QSCINTILLA_PREFIX)
    # A build tree configured before keeps what it found then.
    cmake_path(IS_PREFIX TARNWICK_QSCINTILLA_PREFIX "${QScintilla_LIBRARY}" _qscintilla_ours)
    if(NOT _qscintilla_ours)
        unset(QScintilla_INCLUDE_DIR CACHE)
        unset(QScintilla_LIBRARY CACHE)
    endif()
    find_path(QScintilla_INCLUDE_DIR Qsci/qsciscintilla.h
              PATHS ${TARNWICK_QSCINTILLA_PREFIX}/include NO_DEFAULT_PATH)
    find_library(QScintilla_LIBRARY NAMES libqscintilla2_qt6.a
                 PATHS ${TARNWICK_QSCINTILLA_PREFIX}/lib NO_DEFAULT_PATH)
else()
    find_path(QScintilla_INCLUDE_DIR Qsci/qsciscintilla.h
              PATH_SUFFIXES qt6 x86_64-linux-gnu/qt6 aarch64-linux-gnu/qt6
              HINTS ${Qt6Core_INCLUDE_DIRS})
    find_library(QScintilla_LIBRARY NAMES qscintilla2_qt6)
endif()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(QScintilla REQUIRED_VARS QScintilla_LIBRARY QScintilla_INCLUDE_DIR)

if(QScintilla_FOUND AND NOT TARGET QScintilla::QScintilla)
    add_library(QScintilla::QScintilla UNKNOWN IMPORTED)
    set(_qscintilla_links Qt6::Widgets)
    if(QScintilla_LIBRARY MATCHES "\\.a$")
        # A static library brings its own dependencies to the link.
        find_package(Qt6 REQUIRED COMPONENTS PrintSupport)
        list(APPEND _qscintilla_links Qt6::PrintSupport)
    endif()
    set_target_properties(QScintilla::QScintilla PROPERTIES
        IMPORTED_LOCATION "${QScintilla_LIBRARY}"
        INTERFACE_INCLUDE_DIRECTORIES "${QScintilla_INCLUDE_DIR}"
        INTERFACE_LINK_LIBRARIES "${_qscintilla_links}")
    if(TARNWICK_QSCINTILLA_PREFIX)
        # Searched with -I, before Qt's -isystem folders: where the system's
        # QScintilla is installed too, its headers sit among Qt's and would
        # otherwise be the ones compiled against.
        set_target_properties(QScintilla::QScintilla PROPERTIES IMPORTED_NO_SYSTEM TRUE)
    endif()
endif()
