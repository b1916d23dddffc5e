// Questions about the course configuration file: the value of a named
// attribute of the first element with a given name. Every question reads the
// file afresh; nothing is kept between questions.
#pragma once

#include <string>

namespace dorv {

class IUrlFetcher;

class CConfig {
public:
    // `location` is an absolute file path or an http(s) URL; `fetcher` serves
    // the URLs and may be null when none is available.
    CConfig(std::string location, IUrlFetcher* fetcher);
    virtual ~CConfig() = default;

    // On success `value` receives the attribute's text (references decoded).
    // On any failure the result is false and `value` is left as it was.
    bool GetValue(const std::string& tagName, const std::string& attributeName, std::string& value) const;

    // Why the last question failed: the file could not be read or fetched,
    // the XML is not well-formed, or the element or attribute is missing.
    // Empty after a question that succeeded.
    const std::string& GetLastFailure() const { return m_strLastFailure; }

private:
    bool ReadDocument(std::string& bytes) const;
    bool Fail(std::string why) const;

    std::string m_location;
    IUrlFetcher* m_fetcher;
    mutable std::string m_strLastFailure;
};

}  // namespace dorv
