// Fetches a document over http(s) for the course configuration reader.
#pragma once

#include <string>

namespace dorv {

class IUrlFetcher {
public:
    virtual ~IUrlFetcher() = default;
    // True with the response body when the server answered with success
    // within the fetcher's time limit; otherwise false with `why` saying
    // what went wrong, and `body` untouched.
    virtual bool Fetch(const std::string& url, std::string& body, std::string& why) = 0;
};

}  // namespace dorv
