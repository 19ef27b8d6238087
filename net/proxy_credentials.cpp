#include "net/proxy_credentials.h"

#include "store/lockable.h"

namespace {

struct KeptCredentials {
    Lockable lock;
    ProxyCredentials credentials;
};

KeptCredentials& Kept()
{
    static KeptCredentials kept;
    return kept;
}

} // namespace

ProxyCredentials RunProxyCredentials()
{
    KeptCredentials& kept = Kept();
    Lockable::Guard guard(kept.lock);
    return kept.credentials;
}

void KeepRunProxyCredentials(const ProxyCredentials& credentials)
{
    KeptCredentials& kept = Kept();
    Lockable::Guard guard(kept.lock);
    kept.credentials = credentials;
}
