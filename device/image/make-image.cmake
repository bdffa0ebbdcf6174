# Lays out the emulated device's file system in OUT: the committed content of root/, the
# folders a device always has, sample archives, Start Menu shortcuts and the built programs.
# Run as: cmake -DSRC=... -DOUT=... -DBIN=... -P make-image.cmake

file(REMOVE_RECURSE "${OUT}")
file(COPY "${SRC}/root/" DESTINATION "${OUT}")

foreach(dir
    "Windows/Start Menu/Programs/Accessories" "Windows/Favorites" "Windows/SendTo"
    "Windows/Desktop" "Windows/Today Themes" "Temp" "Storage Card"
    "My Documents/Templates" "Program Files/Zek/Quintar" "Program Files/Zek/Pellvane/image"
    "Program Files/Zek/Pellvane/Settings")
  file(MAKE_DIRECTORY "${OUT}/${dir}")
endforeach()

# Glancet's bitmaps, drawn by its generator into its image folder.
execute_process(
  COMMAND python3 "${SRC}/../../todayplugin/images/make_images.py" "${OUT}/Program Files/Zek/Pellvane/image"
  RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "could not draw Glancet's bitmaps")
endif()

# Sample archives, with fixed times so every image is the same.
function(make_zip name)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E tar cf "${OUT}/${name}" --format=zip "--mtime=2005-06-01 10:30:00" ${ARGN}
    WORKING_DIRECTORY "${SRC}/zips" RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "could not create ${name}")
  endif()
endfunction()
make_zip("My Documents/Letters.zip" Letters readme.txt)
make_zip("My Documents/My Pictures/Photos.zip" Photos)
make_zip("Storage Card/Archive.zip" Letters/quarterly.txt Photos/sun.bmp)

# Device shortcuts are text: the target's length in characters, '#', then the target.
function(make_shortcut link target)
  string(LENGTH "${target}" n)
  file(WRITE "${OUT}/${link}" "${n}#${target}")
endfunction()
set(quintar "\\Program Files\\Zek\\Quintar")
make_shortcut("Windows/Start Menu/Programs/Folderon.lnk" "\"${quintar}\\Folderon.exe\"")
make_shortcut("Windows/Start Menu/Programs/Tamsk.lnk" "\"${quintar}\\Tamsk.exe\"")
make_shortcut("Windows/Start Menu/Programs/Vorrel.lnk" "\"${quintar}\\Vorrel.exe\"")
make_shortcut("Windows/Start Menu/Programs/Internet Explorer.lnk" "\\Windows\\iexplore.exe")
make_shortcut("Windows/Start Menu/Programs/File Explorer.lnk" "\\Windows\\fexplore.exe")
# The targets of Glancet's default launchers.
make_shortcut("Windows/Start Menu/Programs/Calculator.lnk" "\\Windows\\calc.exe")
make_shortcut("Windows/Start Menu/Programs/Zek RegEditor.lnk" "\"${quintar}\\Tamsk.exe\"")
make_shortcut("Windows/Start Menu/Programs/Zek Vorrel.lnk" "\"${quintar}\\Vorrel.exe\"")
make_shortcut("Windows/Start Menu/Programs/Accessories/Word.lnk" "\\Windows\\pword.exe")
make_shortcut("Windows/Start Menu/Programs/Accessories/Notes.lnk" "\\Windows\\notes.exe")
make_shortcut("Windows/Start Menu/Settings.lnk" "\\Windows\\ctlpnl.exe")
make_shortcut("Windows/Favorites/Welcome.lnk" "\"\\My Documents\\Welcome.txt\"")
make_shortcut("Windows/SendTo/Mail Recipient.lnk" "\\Windows\\tmail.exe")
make_shortcut("Windows/SendTo/Storage Card.lnk" "\"\\Storage Card\"")
# Glancet's Settings launchers open the control panel's applets, numbered as the control panel
# numbers them (3 Power, 4 Memory, as the gauges use them).
set(pellvane_settings "Program Files/Zek/Pellvane/Settings")
foreach(applet "Password=1" "Owner Information=2" "Power=3" "Memory=4" "About=5" "Align Screen=7"
    "Input Method=8" "Sounds & Reminders=9" "Remove Programs=10" "Menus=11" "Buttons=12"
    "Today Settings=13" "Beam=15" "Clock=16" "Network Connections=17" "Regional Settings=19")
  string(REPLACE "=" ";" pair "${applet}")
  list(GET pair 0 name)
  list(GET pair 1 number)
  make_shortcut("${pellvane_settings}/${name}.lnk" "\\Windows\\ctlpnl.exe cplmain.cpl,${number}")
endforeach()

# The device's system programs and libraries go to \Windows, the suite to its install folder.
# The image is laid after every one of them is built, so each must be there.
set(windows_files coredll.dll aygshell.dll note_prj.dll ceshell.dll shell.exe fexplore.exe
    ctlpnl.exe tmail.exe beam.exe irsquirt.exe repllog.exe iexplore.exe wceload.exe UNZip.dll getFiles.dll)
set(suite_files Folderon.exe Tamsk.exe Vorrel.exe Menuvex.dll decryptor.exe Glancet.dll setup.dll)
foreach(f ${windows_files})
  file(COPY "${BIN}/${f}" DESTINATION "${OUT}/Windows")
endforeach()
foreach(f ${suite_files})
  file(COPY "${BIN}/${f}" DESTINATION "${OUT}/Program Files/Zek/Quintar")
endforeach()
# The device's own applications are recorders too: they log how they were started.
foreach(app pword.exe notes.exe pimg.exe pxl.exe solitare.exe wmplayer.exe instmsgr.exe calc.exe)
  file(COPY_FILE "${BIN}/tmail.exe" "${OUT}/Windows/${app}")
endforeach()
# Today themes: a plain one, one with spaces in its name and one in ROM (the profile lists it).
file(WRITE "${OUT}/Windows/Plain.tsk" "theme")
file(WRITE "${OUT}/Windows/My Theme.tsk" "theme")
file(WRITE "${OUT}/Windows/Classic.tsk" "theme")
# The synchronisation settings that ActiveSync is started with.
file(WRITE "${OUT}/Windows/async.asy" "[ActiveSync]\r\nConnection=USB\r\n")
file(WRITE "${OUT}/Windows/device-events.log" "")
file(WRITE "${OUT}/Windows/device-launch.log" "")

# The suite's installation package for wceload.exe ("\Windows\AppMgr\Zek Quintar.zip"), and the
# record wceload keeps of the installed suite, so it can be removed and installed again.
set(package "${OUT}/../device-package")
file(REMOVE_RECURSE "${package}")
file(MAKE_DIRECTORY "${package}" "${OUT}/Windows/AppMgr")
file(COPY_FILE "${SRC}/quintar-package.txt" "${package}/package.txt")
set(package_files package.txt Folderon_user_manual.htm Contents.htm)
foreach(f ${suite_files})
  file(COPY "${BIN}/${f}" DESTINATION "${package}")
  list(APPEND package_files ${f})
endforeach()
file(COPY "${SRC}/root/Program Files/Zek/Quintar/Folderon_user_manual.htm"
          "${SRC}/root/Program Files/Zek/Quintar/Contents.htm" DESTINATION "${package}")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E tar cf "${OUT}/Windows/AppMgr/Zek Quintar.zip" --format=zip
          "--mtime=2005-06-01 10:30:00" ${package_files}
  WORKING_DIRECTORY "${package}" RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "could not pack the suite's installation package")
endif()
file(COPY_FILE "${SRC}/quintar-package.txt" "${OUT}/Windows/AppMgr/Zek Quintar.txt")
file(COPY_FILE "${BIN}/setup.dll" "${OUT}/Windows/AppMgr/Zek Quintar.dll")
file(REMOVE_RECURSE "${package}")
