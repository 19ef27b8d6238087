// A manifest's files fetched from its servers: every listed file from
// SERVER_ADDR and from each of SERVER_MIRRORS, with the manifest's scheme,
// compared with its entry. Through libcurl, a few transfers at once, each
// bounded in time and in length.
#pragma once

#include "operator/manifest_check.h"

#include <functional>
#include <string>
#include <vector>

struct HostResult {
    std::string host;
    size_t files = 0;
    size_t differing = 0; // missing, another size or another hash
};

struct OnlineOptions {
    int transfers = 4;     // at once, over all hosts
    long connect_seconds = 30;
    // A transfer that brings less than 1 KiB in this time fails, as the
    // installer's attempt does.
    long stall_seconds = 60;
    // Called after each transfer with the number done and the number in all.
    std::function<void(size_t done, size_t total)> progress;
};

// A finding for each file a host serves otherwise than listed (its text
// starts with the host), grouped by host in the manifest's order of hosts,
// and what each host served.
std::vector<Finding> CheckOnline(const std::string& text, const OnlineOptions& options,
                                 std::vector<HostResult>& hosts);
