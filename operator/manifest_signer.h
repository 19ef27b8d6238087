// Signs a manifest for keyed installers: sets or keeps MANIFEST_SERIAL and
// MANIFEST_EXPIRES in [GENERAL], drops an old signature line and appends the
// new one. Every other byte stays as it was.
#pragma once

#include "install/trust/manifest_signature.h"

#include <functional>
#include <string>
#include <string_view>

// What the command line asks for: the empty text keeps the manifest's own.
struct Freshness {
    std::string serial;
    std::string expires;
};

// Signs the covered bytes; false when it cannot.
using Signer = std::function<bool(std::string_view covered, std::string& signature)>;

// The signed manifest in `output`. False, with the reason in `error`, when
// neither the manifest nor `freshness` gives a valid serial and expiry, or
// the signer fails. Keys it adds go right after the first [GENERAL] header
// line (or, without one, into a [GENERAL] section appended at the end), with
// the manifest's own line ending.
bool SignManifest(const std::string& text, const Freshness& freshness, const Signer& sign, std::string& output,
                  std::string& error);
