# Signs FILE in place with osslsigncode (Authenticode, SHA-256), run by the
# build after each link of a shipped program. On failure FILE is removed, so
# that no unsigned program stands where a signed one was asked for, and the
# next build links and signs it again.
#   cmake -DOSSLSIGNCODE=... -DPKCS12=... -DPASSWORD_FILE=... [-DTIMESTAMP_URLS=a|b]
#         -DFILE=... -P sign_file.cmake
set(arguments sign -pkcs12 ${PKCS12} -readpass ${PASSWORD_FILE} -h sha256)
if(TIMESTAMP_URLS)
    string(REPLACE "|" ";" urls "${TIMESTAMP_URLS}")
    foreach(url IN LISTS urls)
        list(APPEND arguments -ts ${url})
    endforeach()
endif()
set(signed ${FILE}.signed)
file(REMOVE ${signed})
# Its own lines say why it failed, on standard output or standard error as
# its version has it (2.5, in Debian 12, uses the former): both are kept and
# shown on failure only.
execute_process(COMMAND ${OSSLSIGNCODE} ${arguments} -in ${FILE} -out ${signed}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    file(REMOVE ${FILE} ${signed})
    message(FATAL_ERROR "osslsigncode could not sign ${FILE} (status ${status}):\n${output}")
endif()
# osslsigncode writes a plain file; the program keeps the linker's mode.
file(CHMOD ${signed} FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(RENAME ${signed} ${FILE})
