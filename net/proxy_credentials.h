// The user name and password a proxy asked for, kept in memory for the run
// only and set on every later request. The user is asked once per run, with
// the system's own prompt.
#pragma once

#include <string>

struct ProxyCredentials {
    bool asked = false;
    std::string user;
    std::string password;

    bool Known() const { return !user.empty(); }
};

// The run's one set; used on the thread that runs the transfers.
ProxyCredentials& RunProxyCredentials();
