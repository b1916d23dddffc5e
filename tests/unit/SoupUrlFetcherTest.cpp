// The libsoup fetcher against a small server on the loopback interface,
// running in a thread of its own.
#include "platform/system/SoupUrlFetcher.h"

#include <gtest/gtest.h>

#include <thread>

#include "app/Config.h"

namespace dorv {
namespace {

class LoopbackServer {
public:
    LoopbackServer() {
        m_context = g_main_context_new();
        g_main_context_push_thread_default(m_context);
        m_server = soup_server_new(nullptr, nullptr);
        soup_server_add_handler(m_server, nullptr, Handle, nullptr, nullptr);
        GError* error = nullptr;
        soup_server_listen_local(m_server, 0, SOUP_SERVER_LISTEN_IPV4_ONLY, &error);
        g_main_context_pop_thread_default(m_context);
        GSList* uris = soup_server_get_uris(m_server);
        char* text = g_uri_to_string(static_cast<GUri*>(uris->data));
        m_base = text;
        g_free(text);
        g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
        m_loop = g_main_loop_new(m_context, FALSE);
        m_thread = std::thread([this] {
            g_main_context_push_thread_default(m_context);
            g_main_loop_run(m_loop);
            g_main_context_pop_thread_default(m_context);
        });
    }
    ~LoopbackServer() {
        g_main_loop_quit(m_loop);
        m_thread.join();
        g_object_unref(m_server);
        g_main_loop_unref(m_loop);
        g_main_context_unref(m_context);
    }
    std::string Url(const std::string& path) const { return m_base.substr(0, m_base.size() - 1) + path; }

private:
    static void Handle(SoupServer*, SoupServerMessage* message, const char* path, GHashTable*, gpointer) {
        std::string p = path;
        if (p == "/course.xml") {
            static const char body[] = "<course><config file_title=\"REMOTE\"/></course>";
            soup_server_message_set_response(message, "application/xml", SOUP_MEMORY_STATIC, body, sizeof body - 1);
            soup_server_message_set_status(message, 200, nullptr);
        } else if (p == "/slow.xml") {
            soup_server_message_pause(message);  // never answered
        } else {
            soup_server_message_set_status(message, 404, nullptr);
        }
    }

    GMainContext* m_context;
    SoupServer* m_server;
    GMainLoop* m_loop;
    std::thread m_thread;
    std::string m_base;
};

TEST(SoupUrlFetcher, FetchesAndReportsFailures) {
    LoopbackServer server;
    SoupUrlFetcher fetcher(2);
    std::string body, why;
    ASSERT_TRUE(fetcher.Fetch(server.Url("/course.xml"), body, why));
    EXPECT_EQ(body, "<course><config file_title=\"REMOTE\"/></course>");

    std::string untouched = "u";
    EXPECT_FALSE(fetcher.Fetch(server.Url("/missing.xml"), untouched, why));
    EXPECT_EQ(untouched, "u");
    EXPECT_EQ(why.rfind("the server answered 404", 0), 0u) << why;
    EXPECT_FALSE(fetcher.Fetch("not a url", untouched, why));
    EXPECT_EQ(why, "not a valid URL");
}

TEST(SoupUrlFetcher, AServerThatNeverAnswersTimesOut) {
    LoopbackServer server;
    SoupUrlFetcher fetcher(1);
    std::string body, why;
    EXPECT_FALSE(fetcher.Fetch(server.Url("/slow.xml"), body, why));
    EXPECT_FALSE(why.empty());
}

TEST(SoupUrlFetcher, CourseConfigurationOverHttp) {
    LoopbackServer server;
    SoupUrlFetcher fetcher(2);
    std::string value;
    EXPECT_TRUE(CConfig(server.Url("/course.xml"), &fetcher).GetValue("config", "file_title", value));
    EXPECT_EQ(value, "REMOTE");
}

}  // namespace
}  // namespace dorv
