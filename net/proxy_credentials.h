// The user name and password a proxy asked for, kept in memory for the run
// only and set on every later request. The user is asked once per run, with
// the system's own prompt, by the run's own transfer; transfers on other
// threads read the answer once it is there.
#pragma once

#include <string>

struct ProxyCredentials {
    bool asked = false;
    std::string user;
    std::string password;

    bool Known() const { return !user.empty(); }
};

// A copy of the run's one set, safe from any thread.
ProxyCredentials RunProxyCredentials();
// Keeps the user's answer (or that none was given) for the rest of the run.
void KeepRunProxyCredentials(const ProxyCredentials& credentials);
