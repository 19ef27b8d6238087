// The operators' manifest checker: reads a manifest with the installer's own
// parser and rules and lists what the installer would refuse (errors) and
// what it would silently ignore or misread (warnings), each with its line.
#pragma once

#include "install/trust/manifest_signature.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Finding {
    int line; // 0 for the manifest as a whole
    bool error;
    std::string text;
};

// What the server holds at a request path.
struct ServedFile {
    std::string sha256; // lower-case hex
    std::int64_t size = 0;
};

// The file served at a request path; false when there is no such file.
using ServedFiles = std::function<bool(const std::string& request_path, ServedFile& file)>;

struct CheckOptions {
    // With files, each listed file that is missing or whose hash or size
    // differs from its entry is an error.
    const ServedFiles* files = nullptr;
    // With public keys: what a keyed installer with those keys refuses is an
    // error; without, what keyed installers would refuse is a warning.
    SignatureCheck verify;
    // As the strict build judges it: every rule the strict build applies
    // is an error (a hash for each file, a signed manifest, an https skin
    // page), with or without keys to verify the signature.
    bool strict = false;
    CalendarDate today; // in UTC, for the expiry
};

// Every finding, in line order.
std::vector<Finding> CheckManifest(const std::string& text, const CheckOptions& options);

bool HasError(const std::vector<Finding>& findings);
