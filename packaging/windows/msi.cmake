# Builds the installer: cmake -DWXS=... -DVERSION=... -DOUTPUT=... [-DSIGN=ON] -P msi.cmake
# wixl (msitools 0.101) makes the package from the WiX source; it has no Environment element, so
# msibuild then adds the Environment table and its two standard actions: the installed folder is
# appended to the user's PATH, or with ALLUSERS=1 the system's ("*"), each in a component of the
# WiX source installed only in that case; "[~];" keeps what is there, and "=-" sets the entry on
# install and takes it out again on uninstall.
find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)
find_program(MSIINFO msiinfo REQUIRED)
get_filename_component(folder ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${folder})
set(partial ${OUTPUT}.partial)
set(environment ${folder}/Environment.idt)

# wixl takes no absolute source paths: the WiX source names its files relative to its own folder.
get_filename_component(sources ${WXS} DIRECTORY)
execute_process(COMMAND ${WIXL} -a x64 -D TervalinkVersion=${VERSION} -o ${partial} ${WXS}
  WORKING_DIRECTORY ${sources} COMMAND_ERROR_IS_FATAL ANY)
file(WRITE ${environment}
  "Environment\tName\tValue\tComponent_\ns72\tl255\tL255\ts72\nEnvironment\tEnvironment\n"
  "FramesOnUserPath\t=-PATH\t[~];[INSTALLDIR]\tUserPath\n"
  "FramesOnMachinePath\t=-*PATH\t[~];[INSTALLDIR]\tMachinePath\n")
execute_process(COMMAND ${MSIBUILD} ${partial} -i ${environment} COMMAND_ERROR_IS_FATAL ANY)
foreach(component_condition "UserPath:NOT ALLUSERS=1" "MachinePath:ALLUSERS=1")
  string(REPLACE ":" ";" pair "${component_condition}")
  list(GET pair 0 component)
  list(GET pair 1 condition)
  execute_process(COMMAND ${MSIBUILD} ${partial} -q
    "UPDATE Component SET Condition = '${condition}' WHERE Component = '${component}'"
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
# Every build has a product code of its own: a rebuild of the same version replaces the installed
# one as an upgrade would (msidbUpgradeAttributesVersionMaxInclusive, 512, on the upgrade row; the
# MajorUpgrade element's AllowSameVersionUpgrades, which wixl 0.101 does not know), instead of
# becoming a second product with a second Apps and Features entry. Attributes is part of the
# table's key, which SQL cannot update: the table is exported, changed and imported again.
execute_process(COMMAND ${MSIINFO} export ${partial} Upgrade OUTPUT_VARIABLE upgrade COMMAND_ERROR_IS_FATAL ANY)
string(REPLACE "\t1\t\tWIX_UPGRADE_DETECTED" "\t513\t\tWIX_UPGRADE_DETECTED" same_version_upgrade "${upgrade}")
if(same_version_upgrade STREQUAL upgrade)
  message(FATAL_ERROR "msi.cmake: wixl's Upgrade table has no upgrade row as expected:\n${upgrade}")
endif()
file(WRITE ${folder}/Upgrade.idt "${same_version_upgrade}")
execute_process(COMMAND ${MSIBUILD} ${partial} -i ${folder}/Upgrade.idt COMMAND_ERROR_IS_FATAL ANY)
# Where Windows Installer's own sequence puts them.
foreach(action_sequence RemoveEnvironmentStrings:3300 WriteEnvironmentStrings:5200)
  string(REPLACE ":" ";" pair ${action_sequence})
  list(GET pair 0 action)
  list(GET pair 1 sequence)
  execute_process(COMMAND ${MSIBUILD} ${partial} -q
    "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('${action}', ${sequence})"
    COMMAND_ERROR_IS_FATAL ANY)
endforeach()
if(SIGN)
  execute_process(COMMAND ${SIGN_SCRIPT} ${partial} COMMAND_ERROR_IS_FATAL ANY)
endif()
file(RENAME ${partial} ${OUTPUT})
