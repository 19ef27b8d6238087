// The public keys a keyed installer trusts its manifests to, built into the
// program: no key file ships beside it.
#pragma once

#include "services/rsa_signature.h"

#include <cstddef>

struct ManifestKey {
    RsaKeyBlob blob;
    // The first 16 hexadecimal digits of the SHA-256 of the key's DER
    // encoding: it names the key's rollback floor in the registry.
    const char* id;
};

struct ManifestKeyList {
    const ManifestKey* keys = nullptr;
    size_t count = 0;
};

// The program's keys: in a keyed program, the source the build writes from
// INSTALLER_MANIFEST_KEYS (cmake/manifest_keys.cmake); in any other, the
// empty list of install/trust/manifest_keys_none.cpp.
ManifestKeyList BuiltInManifestKeys();
