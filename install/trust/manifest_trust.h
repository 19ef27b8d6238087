// A keyed installer's check of the manifest that has arrived: its signature
// by one of the built-in keys, its serial against the rollback floor, its
// expiry by the system clock, and a hash and a size for every file (the
// order is KeyedManifestRefusal's). The floor is the highest serial stored
// for any built-in key, as the REG_SZ value "ManifestSerial-" + the key's id
// under HKCU\Software\InstallKVO; keys of other operators have other values.
#pragma once

#include "install/trust/manifest_keys.h"

#include <cstdint>
#include <string>

class IniFile;

// The refusal text, or the empty text when the manifest may go on to the
// rules every installer applies. `text` is the manifest as it arrived, and
// `manifest` the document parsed from it.
std::string ManifestTrustRefusal(const std::string& text, const IniFile& manifest, const ManifestKeyList& keys);

// The highest serial stored for any of the keys; 0 when none holds one.
std::uint64_t ManifestSerialFloor(const ManifestKeyList& keys);

// Raises the floor of every key to the accepted manifest's serial, so that a
// manifest signed with an older key cannot be replayed after a rotation.
void RecordManifestSerial(const IniFile& manifest, const ManifestKeyList& keys);
