# Fails when a source under ROOT includes a header of a folder that lies
# above its own. A quoted include whose first path part names no folder
# below (a generated header, an icon) belongs to no layer and passes.
# cmake -DROOT=<src> -P CheckIncludes.cmake
cmake_minimum_required(VERSION 3.25)

# Each folder with the folders its sources may include, its own first. Above
# platform only main() and the key filter (app: the signals, key repeat, the
# logout inhibitor it sets up for the whole process) and the launch script's
# check of a command line (runner: split as the console will split it) reach
# past platform; everything else goes through PlatformServices.
set(LAYERS
    "app:app,about,document,editing,navigation,runner,fontdialog,textarea,state,platform,console,desktop"
    "about:about,platform"
    "document:document,textarea,state,platform"
    "editing:editing,textarea,state,platform"
    "navigation:navigation,textarea,state,platform"
    "runner:runner,platform,console"
    "fontdialog:fontdialog,textarea,state,platform"
    "textarea:textarea,platform"
    "state:state,platform"
    "platform:platform,files,console,desktop"
    "files:files"
    "console:console,files"
    "desktop:desktop")

set(folders "")
foreach(entry IN LISTS LAYERS)
    string(REPLACE ":" ";" parts "${entry}")
    list(GET parts 0 folder)
    list(GET parts 1 allowed)
    string(REPLACE "," ";" allowed "${allowed}")
    set(allowed_${folder} ${allowed})
    list(APPEND folders ${folder})
endforeach()

set(violations "")
foreach(folder IN LISTS folders)
    file(GLOB_RECURSE sources ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
    foreach(source IN LISTS sources)
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[^\"]*\"([^\"/]+)/.*$" "\\1" target "${line}")
            if(target IN_LIST folders AND NOT target IN_LIST allowed_${folder})
                file(RELATIVE_PATH shown ${ROOT} ${source})
                list(APPEND violations "${shown}: ${line}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(violations)
    list(JOIN violations "\n  " shown)
    message(FATAL_ERROR "Includes against the layers' direction:\n  ${shown}")
endif()
