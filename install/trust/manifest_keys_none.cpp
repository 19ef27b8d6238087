// The key list of a program built without manifest keys: empty, so its
// manifests are not checked for a signature. A keyed program defines the
// function in a source of its own, and this object is not linked.
#include "install/trust/manifest_keys.h"

ManifestKeyList BuiltInManifestKeys() { return ManifestKeyList(); }
