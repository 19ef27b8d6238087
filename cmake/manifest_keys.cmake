# Turns a list of PEM public keys into a C++ source that builds them into a
# keyed program: each key as the CryptoAPI PUBLICKEYBLOB the installer imports
# (OpenSSL's MSBLOB form), with its id, the first 16 hexadecimal digits of the
# SHA-256 of its DER encoding. Configuration fails on a key that is not RSA of
# 2048 to 4096 bits. Relative paths are read from the source folder.
#
#   manifest_key_source(OUTPUT_FILE "a.pem;b.pem")
#
# Also runs as a script, for the tests of these rules:
#   cmake -DKEYS="a.pem;b.pem" -DOUTPUT=keys.cpp -P cmake/manifest_keys.cmake

set(MANIFEST_KEYS_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/..)

function(manifest_key_fail pem why)
    message(FATAL_ERROR "Manifest key ${pem}: ${why}")
endfunction()

# Sets BITS in the caller to the key's size; fails unless it is an RSA key.
function(manifest_key_bits pem openssl)
    execute_process(COMMAND ${openssl} rsa -pubin -in ${pem} -noout -text
        RESULT_VARIABLE status OUTPUT_VARIABLE text ERROR_VARIABLE error)
    if(NOT status EQUAL 0)
        manifest_key_fail(${pem} "not an RSA public key in PEM form (BEGIN PUBLIC KEY): ${error}")
    endif()
    if(NOT text MATCHES "Public-Key: \\(([0-9]+) bit\\)")
        manifest_key_fail(${pem} "openssl did not tell its size")
    endif()
    set(BITS ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()

# Sets ENTRY in the caller to the key's C++ array and list entry.
function(manifest_key_entry pem name index work openssl)
    manifest_key_bits(${pem} ${openssl})
    if(BITS LESS 2048 OR BITS GREATER 4096)
        manifest_key_fail(${pem} "an RSA key of ${BITS} bits; keys have 2048 to 4096 bits")
    endif()
    execute_process(COMMAND ${openssl} rsa -pubin -in ${pem} -outform MSBLOB -out ${work}/key${index}.blob
        RESULT_VARIABLE blob_status ERROR_VARIABLE blob_error)
    execute_process(COMMAND ${openssl} pkey -pubin -in ${pem} -outform DER -out ${work}/key${index}.der
        RESULT_VARIABLE der_status ERROR_VARIABLE der_error)
    if(NOT blob_status EQUAL 0 OR NOT der_status EQUAL 0)
        manifest_key_fail(${pem} "openssl could not convert it: ${blob_error}${der_error}")
    endif()
    file(SHA256 ${work}/key${index}.der digest)
    string(SUBSTRING ${digest} 0 16 id)
    file(READ ${work}/key${index}.blob hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REPEAT "0x..," 16 row)
    string(REGEX REPLACE "(${row})" "\\1\n    " bytes "${bytes}")
    set(ENTRY "// ${name}: RSA ${BITS} bits, id ${id}\nconst unsigned char kKey${index}[] = {\n    ${bytes}};\n"
        PARENT_SCOPE)
    set(ID ${id} PARENT_SCOPE)
endfunction()

function(manifest_key_source output keys)
    find_program(MANIFEST_KEYS_OPENSSL openssl REQUIRED)
    get_filename_component(work ${output} DIRECTORY)
    file(MAKE_DIRECTORY ${work})
    set(arrays "")
    set(list "")
    set(index 0)
    foreach(name IN LISTS keys)
        get_filename_component(pem ${name} ABSOLUTE BASE_DIR ${MANIFEST_KEYS_SOURCE_DIR})
        if(NOT EXISTS ${pem})
            manifest_key_fail(${pem} "no such file")
        endif()
        if(NOT CMAKE_SCRIPT_MODE_FILE)
            set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pem})
        endif()
        manifest_key_entry(${pem} ${name} ${index} ${work} ${MANIFEST_KEYS_OPENSSL})
        string(APPEND arrays "${ENTRY}")
        string(APPEND list "    {{kKey${index}, sizeof kKey${index}}, \"${ID}\"},\n")
        math(EXPR index "${index} + 1")
    endforeach()
    if(index EQUAL 0)
        message(FATAL_ERROR "A keyed program needs at least one manifest key")
    endif()
    file(CONFIGURE OUTPUT ${output} CONTENT
"// Written by cmake/manifest_keys.cmake from the build's manifest keys.
#include \"install/trust/manifest_keys.h\"

namespace {

${arrays}
const ManifestKey kKeys[] = {
${list}};

} // namespace

ManifestKeyList BuiltInManifestKeys()
{
    ManifestKeyList list;
    list.keys = kKeys;
    list.count = sizeof kKeys / sizeof kKeys[0];
    return list;
}
" @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED OUTPUT)
    manifest_key_source(${OUTPUT} "${KEYS}")
endif()
