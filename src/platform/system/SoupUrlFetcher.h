// http(s) fetches with libsoup, bounded in time.
#pragma once

#include <libsoup/soup.h>

#include "common/UrlFetcher.h"
#include "platform/system/GObjectPtr.h"

namespace dorv {

class SoupUrlFetcher : public IUrlFetcher {
public:
    static constexpr unsigned kTimeoutSeconds = 10;

    explicit SoupUrlFetcher(unsigned timeoutSeconds = kTimeoutSeconds);
    ~SoupUrlFetcher() override = default;
    SoupUrlFetcher(const SoupUrlFetcher&) = delete;
    SoupUrlFetcher& operator=(const SoupUrlFetcher&) = delete;

    bool Fetch(const std::string& url, std::string& body, std::string& why) override;

private:
    GObjectPtr<SoupSession> m_session;
};

}  // namespace dorv
