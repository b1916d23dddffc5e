#include "app/Config.h"

#include <gtest/gtest.h>

#include <map>

#include "Fakes.h"
#include "common/UrlFetcher.h"

namespace dorv {
namespace {

class FakeFetcher : public IUrlFetcher {
public:
    bool Fetch(const std::string& url, std::string& body, std::string& why) override {
        requested.push_back(url);
        auto it = documents.find(url);
        if (it == documents.end()) {
            why = "the server answered 404 Not Found";
            return false;
        }
        body = it->second;
        return true;
    }
    std::map<std::string, std::string> documents;
    std::vector<std::string> requested;
};

class ConfigTest : public ::testing::Test {
protected:
    // The attribute's value, or "<false>" when the question fails.
    std::string Ask(const std::string& xml, const std::string& attribute, const std::string& tag = "config") {
        std::string path = folder.Write("course.xml", xml);
        std::string value;
        return CConfig(path, nullptr).GetValue(tag, attribute, value) ? value : "<false>";
    }
    test::ScratchFolder folder;
};

TEST_F(ConfigTest, ReadsAttributesOfTheFirstConfigElement) {
    const std::string xml =
        "<?xml version=\"1.0\"?>\n"
        "<course><meta><config file_title=\"ENG1\" software=\"PLENA DORV Ver 3.0\"/></meta>"
        "<config file_title=\"SECOND\" copyright=\"only on the second\"/></course>";
    EXPECT_EQ(Ask(xml, "file_title"), "ENG1");
    EXPECT_EQ(Ask(xml, "software"), "PLENA DORV Ver 3.0");
    // Only the first element counts, even when the second has the attribute.
    EXPECT_EQ(Ask(xml, "copyright"), "<false>");
}

TEST_F(ConfigTest, NamesMatchExactly) {
    const std::string xml =
        "<root xmlns:x=\"urn:x\"><Config a=\"upper\"/><x:config a=\"prefixed\"/><config A=\"1\" a=\"lower\"/></root>";
    EXPECT_EQ(Ask(xml, "a"), "lower");
    EXPECT_EQ(Ask(xml, "A"), "1");
    EXPECT_EQ(Ask(xml, "a", "Config"), "upper");
    EXPECT_EQ(Ask(xml, "a", "x:config"), "prefixed");
    EXPECT_EQ(Ask(xml, "a", "CONFIG"), "<false>");
}

TEST_F(ConfigTest, EmptyAttributeIsASuccessMissingOneIsNot) {
    const std::string xml = "<config copyright=\"\"/>";
    EXPECT_EQ(Ask(xml, "copyright"), "");
    EXPECT_EQ(Ask(xml, "software"), "<false>");
    EXPECT_EQ(Ask("<course/>", "software"), "<false>");
}

TEST_F(ConfigTest, ValuesComeBackDecodedAndUntrimmed) {
    const std::string xml =
        "<!DOCTYPE course [<!ENTITY org \"Tom &amp; Jerry\">]>"
        "<course><config copyright=\" &#169; 2026 &org; &lt;Ltd&gt; \" software=\"A&#x3042;&quot;\"/></course>";
    EXPECT_EQ(Ask(xml, "copyright"), " \u00A9 2026 Tom & Jerry <Ltd> ");
    EXPECT_EQ(Ask(xml, "software"), "A\u3042\"");
}

TEST_F(ConfigTest, FailureLeavesTheValueUntouched) {
    std::string path = folder.Write("bad.xml", "<course><config a=\"1\"></course>");
    std::string value = "kept";
    EXPECT_FALSE(CConfig(path, nullptr).GetValue("config", "a", value));
    EXPECT_EQ(value, "kept");
    EXPECT_FALSE(CConfig(folder.Path().string() + "/missing.xml", nullptr).GetValue("config", "a", value));
    EXPECT_EQ(value, "kept");
}

TEST_F(ConfigTest, ShiftJisDeclarationIsReadAsCodePage932) {
    // courseware="英語①～－" in code page 932 bytes; ① exists only in code
    // page 932, and ～ and － map differently in JIS Shift_JIS.
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n"
        "<config courseware=\"\x89\x70\x8C\xEA\x87\x40\x81\x60\x81\x7C Ver 1.0\"/>";
    EXPECT_EQ(Ask(xml, "courseware"), "英語\u2460\uFF5E\uFF0D Ver 1.0");
    const std::string lower = "<?xml version=\"1.0\" encoding=\"shift_jis\"?><config a=\"\x87\x40\"/>";
    EXPECT_EQ(Ask(lower, "a"), "\u2460");
}

TEST_F(ConfigTest, OtherEncodingDeclarationsAreHonoured) {
    EXPECT_EQ(Ask("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><config a=\"caf\xE9\"/>", "a"), "caf\u00E9");
    EXPECT_EQ(Ask("<?xml version=\"1.0\" encoding=\"EUC-JP\"?><config a=\"\xA4\xA2\"/>", "a"), "\u3042");
    // UTF-16 with a byte-order mark.
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("<config a=\"ok\"/>")) utf16 += std::string{c, '\0'};
    EXPECT_EQ(Ask(utf16, "a"), "ok");
}

TEST_F(ConfigTest, ExternalEntitiesAndDtdsAreNeverLoaded) {
    folder.Write("secret.txt", "SECRET");
    const std::string xml =
        "<!DOCTYPE course SYSTEM \"http://127.0.0.1:9/none.dtd\" [<!ENTITY s SYSTEM \"secret.txt\">]>"
        "<course><config a=\"x\">&s;</config></course>";
    EXPECT_EQ(Ask(xml, "a"), "x");
    // An external entity inside an attribute is not well-formed XML.
    const std::string inAttribute = "<!DOCTYPE c [<!ENTITY s SYSTEM \"secret.txt\">]><config a=\"&s;\"/>";
    EXPECT_EQ(Ask(inAttribute, "a"), "<false>");
}

TEST_F(ConfigTest, UrlsGoThroughTheFetcherAndFailedFetchesAreFalse) {
    FakeFetcher fetcher;
    fetcher.documents["https://courses.example/c.xml"] = "<config file_title=\"NET\"/>";
    std::string value;
    EXPECT_TRUE(CConfig("https://courses.example/c.xml", &fetcher).GetValue("config", "file_title", value));
    EXPECT_EQ(value, "NET");
    std::string untouched = "u";
    EXPECT_FALSE(CConfig("http://courses.example/gone.xml", &fetcher).GetValue("config", "a", untouched));
    EXPECT_FALSE(CConfig("http://courses.example/c.xml", nullptr).GetValue("config", "a", untouched));
    EXPECT_EQ(untouched, "u");
    EXPECT_EQ(fetcher.requested,
              (std::vector<std::string>{"https://courses.example/c.xml", "http://courses.example/gone.xml"}));
}

TEST_F(ConfigTest, FailuresSayWhy) {
    std::string path = folder.Path().string() + "/course.xml";
    struct Case {
        std::string xml, attribute, why;
    };
    for (const Case& c : std::vector<Case>{
             {"<config file_title=\"A\">\n<x></config>", "file_title",
              path + " is not well-formed XML: line 2: Opening and ending tag mismatch: x line 2 and config"},
             {"<course/>", "file_title", path + " has no element \"config\""},
             {"<config software=\"S\"/>", "file_title",
              "the element \"config\" of " + path + " has no attribute \"file_title\""},
             {"<config file_title=\"A\"/>", "file_title", ""},
         }) {
        folder.Write("course.xml", c.xml);
        CConfig config(path, nullptr);
        std::string value;
        config.GetValue("config", c.attribute, value);
        EXPECT_EQ(config.GetLastFailure(), c.why) << c.xml;
    }
    CConfig missing(path + ".gone", nullptr);
    std::string value;
    EXPECT_FALSE(missing.GetValue("config", "file_title", value));
    EXPECT_EQ(missing.GetLastFailure(), path + ".gone could not be read: No such file or directory");
    FakeFetcher fetcher;
    CConfig remote("http://h/c.xml", &fetcher);
    EXPECT_FALSE(remote.GetValue("config", "file_title", value));
    EXPECT_EQ(remote.GetLastFailure(), "http://h/c.xml could not be fetched: the server answered 404 Not Found");
}

TEST_F(ConfigTest, EveryQuestionReadsTheFileAfresh) {
    std::string path = folder.Write("c.xml", "<config a=\"1\"/>");
    CConfig config(path, nullptr);
    std::string value;
    ASSERT_TRUE(config.GetValue("config", "a", value));
    EXPECT_EQ(value, "1");
    folder.Write("c.xml", "<config a=\"2\"/>");
    ASSERT_TRUE(config.GetValue("config", "a", value));
    EXPECT_EQ(value, "2");
}

}  // namespace
}  // namespace dorv
