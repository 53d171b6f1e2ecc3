# tarnel15.arx and the static library of its code that the tests link.
# Includes name their folder: "idle/idletimer.h", "common/handles.h".
# The settings file's one implementation, shared by the module and tarnelcfg.
add_library(tarnel_settings STATIC
    settings/foldercheck.cpp
    settings/folderpath.cpp
    settings/guardsettings.cpp
    settings/policyregistry.cpp
    settings/settingsformat.cpp
    settings/settingspolicy.cpp
    cmdlog/logfilename.cpp)
target_include_directories(tarnel_settings PUBLIC ${CMAKE_SOURCE_DIR})

# The journal's line format, shared by the module's writer and the report.
add_library(tarnel_journalformat STATIC cmdlog/journalformat.cpp)
target_include_directories(tarnel_journalformat PUBLIC ${CMAKE_SOURCE_DIR})

# The module's own UI library, MFC-shaped on Win32: the host's UI library
# is never called.
add_library(tarnel_ui STATIC ui/acui.cpp ui/controls.cpp ui/dialog.cpp ui/messagebox.cpp ui/uiapp.cpp
            ui/wnd.cpp)
target_include_directories(tarnel_ui PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tarnel_ui PUBLIC comctl32 comdlg32)

# The port's check of a table, which both sides make.
add_library(tarnel_portfit STATIC port/portfit.c)
target_include_directories(tarnel_portfit PUBLIC ${CMAKE_SOURCE_DIR})

add_library(tarnel_core STATIC
    shell/arxapplication.cpp
    shell/coreport.cpp
    shell/resourcelibrary.cpp
    shell/guardapp.cpp
    shell/hostcalls.cpp
    shell/lastrunmessage.cpp
    shell/registrymessage.cpp
    shell/stringloader.cpp
    idle/closeaction.cpp
    idle/countdowndialog.cpp
    idle/freename.cpp
    idle/hostwaiting.cpp
    idle/idletimer.cpp
    idle/inputwatch.cpp
    idle/licensegate.cpp
    idle/licensequery.cpp
    idle/licensestatus.cpp
    idle/messagepump.cpp
    idle/reportformat.cpp
    idle/rescuefolder.cpp
    idle/rescuename.cpp
    idle/savename.cpp
    idle/waitjudge.cpp
    idle/lispevaluation.cpp
    idle/sessionreport.cpp
    cmdlog/attachreactors.cpp
    cmdlog/journal.cpp
    cmdlog/logfile.cpp
    cmdlog/logrecord.cpp
    cmdlog/logspool.cpp
    cmdlog/logwriter.cpp
    cmdlog/tarnelreact.cpp
    cmdlog/timestamp.cpp
    options/abouttab.cpp
    options/configurationtab.cpp
    options/hyperlinkctrl.cpp
    options/loggingtab.cpp
    options/optionscommand.cpp
    options/optionsdialog.cpp
    options/passwordprompt.cpp
    options/passwordtab.cpp
    options/policycontrols.cpp
    options/pathdialog.cpp)
target_include_directories(tarnel_core PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tarnel_core PUBLIC tarnel_settings tarnel_journalformat tarnel_ui tarnel_portfit shell32 ole32
                      version comctl32)

# The host adapter: the entry the host calls, the host's operations and
# events through the port, the library entry's resources. The tests link it
# too, with the core linked in, and start the core through its entry as
# the host does; tarnel15.arx loads TarnelCore.dll instead.
add_library(tarnel_adapter STATIC adapter/entry.cpp adapter/hostevents.cpp adapter/hostops.cpp
            adapter/library.cpp)
target_include_directories(tarnel_adapter PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(tarnel_adapter PUBLIC tarnel_portfit cadrt)

# The module's version resource; the options tests link it too, as the About
# page reads it from the module.
tarnel_version_rc(module_rc tarnel15.arx "Tarnel: closes AutoCAD for users who walked away")
add_library(tarnel_version OBJECT ${module_rc})
target_include_directories(tarnel_version PRIVATE ${CMAKE_SOURCE_DIR})
tarnel_version_rc(core_rc TarnelCore.dll "Tarnel's core: the idle watch, the logs and the dialogs")
add_library(TarnelCore SHARED ${core_rc} shell/tarnelcore.def)
set_source_files_properties(${core_rc} PROPERTIES INCLUDE_DIRECTORIES ${CMAKE_SOURCE_DIR})
target_link_libraries(TarnelCore PRIVATE -Wl,--whole-archive tarnel_core tarnel_ui tarnel_settings
                      tarnel_journalformat -Wl,--no-whole-archive tarnel_portfit)
set_target_properties(TarnelCore PROPERTIES PREFIX "" OUTPUT_NAME TarnelCore)

add_library(tarnel15 SHARED adapter/dllmain.cpp adapter/coreloader.cpp
            $<TARGET_OBJECTS:tarnel_version> $<TARGET_OBJECTS:arxlink>)
target_link_libraries(tarnel15 PRIVATE -Wl,--whole-archive tarnel_adapter -Wl,--no-whole-archive)
set_target_properties(tarnel15 PROPERTIES PREFIX "" SUFFIX ".arx")
add_dependencies(tarnel15 TarnelRes TarnelCore)
