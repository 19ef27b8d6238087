# Authenticode signing of the shipped programs with osslsigncode, for a
# branded build: INSTALLER_SIGN_PKCS12 names the certificate and its key,
# INSTALLER_SIGN_PASSWORD_FILE the file holding their password, read by
# osslsigncode itself so that it never shows on a command line.
# INSTALLER_SIGN_TIMESTAMP_URL, when given, names the RFC 3161 time-stamp
# servers to ask. Without INSTALLER_SIGN_PKCS12 nothing is signed.
set(INSTALLER_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file (.p12, .pfx) to sign installer.exe and Extract.dll with")
set(INSTALLER_SIGN_PASSWORD_FILE "" CACHE FILEPATH "File holding the PKCS#12 file's password")
set(INSTALLER_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp servers for the signatures (a list); none when empty")

if(INSTALLER_SIGN_PKCS12)
    if(NOT EXISTS "${INSTALLER_SIGN_PKCS12}" OR IS_DIRECTORY "${INSTALLER_SIGN_PKCS12}")
        message(FATAL_ERROR "INSTALLER_SIGN_PKCS12: no such file: ${INSTALLER_SIGN_PKCS12}")
    endif()
    if(NOT INSTALLER_SIGN_PASSWORD_FILE)
        message(FATAL_ERROR "INSTALLER_SIGN_PKCS12 is given but INSTALLER_SIGN_PASSWORD_FILE is not: "
            "name the file that holds the PKCS#12 file's password")
    endif()
    if(NOT EXISTS "${INSTALLER_SIGN_PASSWORD_FILE}" OR IS_DIRECTORY "${INSTALLER_SIGN_PASSWORD_FILE}")
        message(FATAL_ERROR "INSTALLER_SIGN_PASSWORD_FILE: no such file: ${INSTALLER_SIGN_PASSWORD_FILE}")
    endif()
    find_program(OSSLSIGNCODE_EXECUTABLE osslsigncode)
    if(NOT OSSLSIGNCODE_EXECUTABLE OR NOT EXISTS "${OSSLSIGNCODE_EXECUTABLE}")
        message(FATAL_ERROR "INSTALLER_SIGN_PKCS12 is given but osslsigncode is not installed "
            "(Debian's package osslsigncode; scripts/setup installs it)")
    endif()
    string(CONCAT signing "osslsigncode: ${OSSLSIGNCODE_EXECUTABLE}\npkcs12: ${INSTALLER_SIGN_PKCS12}\n"
        "password file: ${INSTALLER_SIGN_PASSWORD_FILE}\ntimestamp: ${INSTALLER_SIGN_TIMESTAMP_URL}\n")
else()
    set(signing "unsigned\n")
endif()
# The programs depend on this file, so that turning signing on or off, or
# changing its settings, links and signs them again.
set(SIGNING_SETTINGS ${CMAKE_BINARY_DIR}/signing.txt)
file(CONFIGURE OUTPUT ${SIGNING_SETTINGS} CONTENT "${signing}")

# Signs TARGET's file in place once it is linked, when signing is asked for.
function(sign_product target)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${SIGNING_SETTINGS})
    if(NOT INSTALLER_SIGN_PKCS12)
        return()
    endif()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${INSTALLER_SIGN_PKCS12})
    # A list cannot pass through -D as it is: its separator is spelled out.
    string(REPLACE ";" "|" timestamp_urls "${INSTALLER_SIGN_TIMESTAMP_URL}")
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -DOSSLSIGNCODE=${OSSLSIGNCODE_EXECUTABLE}
            -DPKCS12=${INSTALLER_SIGN_PKCS12} -DPASSWORD_FILE=${INSTALLER_SIGN_PASSWORD_FILE}
            "-DTIMESTAMP_URLS=${timestamp_urls}" -DFILE=$<TARGET_FILE:${target}>
            -P ${CMAKE_SOURCE_DIR}/cmake/sign_file.cmake
        VERBATIM)
endfunction()
