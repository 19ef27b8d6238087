#include "net/proxy_credentials.h"

ProxyCredentials& RunProxyCredentials()
{
    static ProxyCredentials credentials;
    return credentials;
}
