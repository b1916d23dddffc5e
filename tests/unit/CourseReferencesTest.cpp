// What the course check reads from pages, scripts and style sheets: the
// files they name, and what only the old browser offered.
#include "check/CourseReferences.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dorv {
namespace {

struct Named {
    int line;
    std::string target;
    std::string in;
    bool operator==(const Named&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Named& n) { return out << n.line << ":" << n.in << ":" << n.target; }

std::vector<Named> References(CourseFileKind kind, const std::string& text) {
    std::vector<Named> named;
    for (const TextReference& ref : ScanCourseText(kind, text).references)
        named.push_back({ref.line, ref.target, ref.in});
    return named;
}

std::vector<std::string> Targets(CourseFileKind kind, const std::string& text) {
    std::vector<std::string> targets;
    for (const TextReference& ref : ScanCourseText(kind, text).references) targets.push_back(ref.target);
    return targets;
}

std::vector<std::pair<LegacyKind, int>> Legacy(CourseFileKind kind, const std::string& text) {
    std::vector<std::pair<LegacyKind, int>> uses;
    for (const LegacyUse& use : ScanCourseText(kind, text).legacy) uses.emplace_back(use.kind, use.line);
    return uses;
}

constexpr CourseFileKind kPage = CourseFileKind::Page;
constexpr CourseFileKind kScript = CourseFileKind::Script;
constexpr CourseFileKind kStyle = CourseFileKind::StyleSheet;

TEST(CourseReferences, AttributesThatNameFilesWithTheirLines) {
    std::string page =
        "<html><body background='bg.gif'>\r\n"
        "<IMG SRC=\"a&amp;b.gif\" lowsrc=low.gif><a href=\"p2.htm\">x</a>\r"
        "<object data=\"movie.mpg\" codebase=\"ctl.cab#version=1\"><param name=\"FileName\" value=\"s.wav\">"
        "<param name=\"autostart\" value=\"true\"></object>\n"
        "<meta http-equiv=\"Refresh\" content=\"0; URL='next.htm'\">\n"
        "<div data=\"not.a.file\" title=\"src\">";
    EXPECT_EQ(References(kPage, page), (std::vector<Named>{{1, "bg.gif", "background"},
                                                           {2, "a&b.gif", "src"},
                                                           {2, "low.gif", "lowsrc"},
                                                           {2, "p2.htm", "href"},
                                                           {3, "movie.mpg", "data"},
                                                           {3, "ctl.cab#version=1", "codebase"},
                                                           {3, "s.wav", "param value"},
                                                           {4, "next.htm", "refresh"}}));
    // The page's <base href> goes with every reference after it.
    TextScan based = ScanCourseText(kPage, "<img src=a.gif><base href=\"../shared/\"><img src=b.gif>");
    ASSERT_EQ(based.references.size(), 2u);
    EXPECT_EQ(based.references[0].base, "");
    EXPECT_EQ(based.references[1].base, "../shared/");
}

TEST(CourseReferences, ScriptsStyleSheetsAndHandlersInAPageAreReadAsSuch) {
    std::string page =
        "<script>x.load(\"lesson.xml\"); var s = '<img src=\"no.gif\">';</script>\n"
        "<script type=\"text/template\"><img src=\"tpl.gif\"></script>\n"
        "<style>td { background: url(cell.gif) }</style>\n"
        "<textarea><img src=\"text.gif\"></textarea><title>src=\"t.gif\"</title><noscript><img src=n.gif></noscript>\n"
        "<a href=\"javascript:window.open('w.htm')\" onclick=\"location.href='c.htm'\" "
        "style=\"background:url(s.gif)\">";
    EXPECT_EQ(References(kPage, page), (std::vector<Named>{{1, "lesson.xml", "load()"},
                                                           {3, "cell.gif", "url()"},
                                                           {5, "w.htm", "window.open()"},
                                                           {5, "c.htm", ".href ="},
                                                           {5, "s.gif", "url()"}}));
}

TEST(CourseReferences, ScriptCallsAndAssignmentsWithLiteralStrings) {
    std::string script =
        "doc.load('a.xml');\n"
        "xhr.open(\"GET\", \"b.xml\", false);\n"
        "document.open('text/html'); win.open('not.htm');\n"
        "window.open(\"c.htm\", \"w\"); open('d.htm');\n"
        "top.location = \"e.htm\"; location.href = 'f.htm'\n"
        "location.replace('g.htm'); location.assign(`h.htm`);\n"
        "fetch('i.json'); var s = new Audio('j.wav'); img.src = 'k.gif'; navigate('l.htm');\n";
    EXPECT_EQ(Targets(kScript, script),
              (std::vector<std::string>{"a.xml", "b.xml", "c.htm", "d.htm", "e.htm", "f.htm", "g.htm", "h.htm",
                                        "i.json", "j.wav", "k.gif", "l.htm"}));
    EXPECT_EQ(References(kScript, "\n\nx.load(\"m.xml\")")[0].line, 3);
}

TEST(CourseReferences, StringsBuiltAtRunTimeCommentsAndRegexesAreNoReferences) {
    std::string script =
        "doc.load(dir + 'a.xml'); doc.load('b' + n + '.xml'); img.src = 'c' + n + '.gif';\n"
        "location.href = 'd.htm'\n  + query;\n"
        "// doc.load('e.xml');\n/* img.src = 'f.gif'; */\n<!-- doc.load('g.xml')\n"
        "var r = /load\\('h.xml'\\)/; var q = a / 2; doc.load('i.xml');\n"
        "var src = 'j.gif'; if (x.src == 'k.gif') {}\n"
        "fetch(`l${n}.json`);\n";
    EXPECT_EQ(Targets(kScript, script), (std::vector<std::string>{"i.xml"}));
}

TEST(CourseReferences, ScriptEscapesAreTheBrowsersValues) {
    TextScan scan = ScanCourseText(kScript, "a.src = 'img\\\\cat.gif'; b.src = 'img\\cat.gif'; c.src = '\\u753b.gif';");
    ASSERT_EQ(scan.references.size(), 3u);
    EXPECT_EQ(scan.references[0].written, "img\\\\cat.gif");
    EXPECT_EQ(scan.references[0].target, "img\\cat.gif");
    EXPECT_EQ(scan.references[1].target, "imgcat.gif");  // "\c" is "c", as the browser took it
    EXPECT_EQ(scan.references[2].target, "画.gif");
}

TEST(CourseReferences, StyleSheetUrlsAndImports) {
    std::string css =
        "@import \"base.css\";\n@import url(print.css) print;\n"
        "/* url(old.gif) */ body { background: URL( 'bg one.gif' ) }\n"
        ".a { background: url(\"q\\\"uote.gif\") } .b { list-style: url(\\31 .gif) }\n";
    EXPECT_EQ(References(kStyle, css), (std::vector<Named>{{1, "base.css", "@import"},
                                                           {2, "print.css", "url()"},
                                                           {3, "bg one.gif", "url()"},
                                                           {4, "q\"uote.gif", "url()"},
                                                           {4, "1.gif", "url()"}}));
}

TEST(CourseReferences, VBScriptAndEncodedScript) {
    std::string page =
        "<SCRIPT LANGUAGE=\"VBScript\">MsgBox \"x.htm\"</SCRIPT>\n"
        "<script type=\"text/vbscript\"></script>\n"
        "<a href=\"vbscript:Go\">x</a><input type=button onclick=\"Go\" language=vbs>\n"
        "<script language=\"JScript.Encode\">#@~^</script><script "
        "language=\"JavaScript1.2\">doc.load('a.xml')</script>";
    EXPECT_EQ(Legacy(kPage, page), (std::vector<std::pair<LegacyKind, int>>{{LegacyKind::VBScript, 1},
                                                                            {LegacyKind::VBScript, 2},
                                                                            {LegacyKind::VBScript, 3},
                                                                            {LegacyKind::VBScript, 3},
                                                                            {LegacyKind::EncodedScript, 4}}));
    EXPECT_EQ(Targets(kPage, page), (std::vector<std::string>{"a.xml"}));  // nothing read from VBScript
}

TEST(CourseReferences, ControlsAndPlugIns) {
    std::string page =
        "<object classid=\"clsid:6BF52A52-394A-11D3-B153-00C04F79FAA6\"></object>\n"
        "<OBJECT classid=\"CLSID:D27CDB6E-AE6D-11cf-96B8-444553540000\"><param name=movie value=a.swf></OBJECT>\n"
        "<embed src=\"b.SWF?x=1\"><embed src=\"c.dcr\"><object type=\"application/x-java-applet\"></object>\n"
        "<applet code=\"D.class\"></applet><object data=\"e.svg\" type=\"image/svg+xml\"></object>";
    EXPECT_EQ(Legacy(kPage, page), (std::vector<std::pair<LegacyKind, int>>{{LegacyKind::ActiveXControl, 1},
                                                                            {LegacyKind::Flash, 2},
                                                                            {LegacyKind::Flash, 3},
                                                                            {LegacyKind::Shockwave, 3},
                                                                            {LegacyKind::JavaApplet, 3},
                                                                            {LegacyKind::JavaApplet, 4}}));
}

TEST(CourseReferences, ActiveXObjectsAreOfferedOnlyForXml) {
    TextScan scan =
        ScanCourseText(kScript,
                       "new ActiveXObject('Microsoft.XMLDOM'); new ActiveXObject(\" MSXML2.XMLHTTP.6.0 \");\n"
                       "new ActiveXObject('Scripting.FileSystemObject'); new ActiveXObject(progId);\n"
                       "new ActiveXObject('Msxml2.DOMDocument.7.0');");
    ASSERT_EQ(scan.legacy.size(), 4u);
    EXPECT_TRUE(scan.legacy[0].offered);
    EXPECT_TRUE(scan.legacy[1].offered);
    EXPECT_FALSE(scan.legacy[2].offered);
    EXPECT_EQ(scan.legacy[2].detail, "new ActiveXObject(\"Scripting.FileSystemObject\")");
    EXPECT_FALSE(scan.legacy[3].offered);
    EXPECT_EQ(scan.legacy[3].line, 3);
}

TEST(CourseReferences, IeDialogsAreCallsNotTests) {
    std::string script =
        "if (window.showModalDialog) {}\nfunction createPopup() {}\n"
        "window.showModalDialog('d.htm'); showModelessDialog('e.htm');\nvar p = window.createPopup();";
    EXPECT_EQ(Legacy(kScript, script),
              (std::vector<std::pair<LegacyKind, int>>{
                  {LegacyKind::ModalDialog, 3}, {LegacyKind::ModalDialog, 3}, {LegacyKind::Popup, 4}}));
}

TEST(CourseReferences, ConditionalCommentsThatHideContent) {
    std::string page =
        "<!--[if IE]><p>IE</p><![endif]-->\n"
        "<!-- [if lt IE 7]>\n<link href=\"ie6.css\"><![endif]-->\n"
        "<!--[if !IE]><!--><p>others</p><!--<![endif]-->\n"
        "<![if !IE]><img src=\"shown.gif\"><![endif]>\n"
        "<!-- an ordinary comment [if] -->";
    EXPECT_EQ(Legacy(kPage, page), (std::vector<std::pair<LegacyKind, int>>{{LegacyKind::ConditionalComment, 1},
                                                                            {LegacyKind::ConditionalComment, 2}}));
    // What IE alone read is no reference; what every browser reads is.
    EXPECT_EQ(Targets(kPage, page), (std::vector<std::string>{"shown.gif"}));
    EXPECT_EQ(ScanCourseText(kPage, page).legacy[1].detail, "[if lt IE 7]");
}

TEST(CourseReferences, BehaviorsInStyleSheetsAndAttributes) {
    EXPECT_EQ(Legacy(kStyle, "v\\:* { behavior: url(#default#VML); }\n.x { -ms-behavior: url(x.htc) }"),
              (std::vector<std::pair<LegacyKind, int>>{{LegacyKind::Behavior, 1}, {LegacyKind::Behavior, 2}}));
    EXPECT_EQ(Legacy(kPage, "<p\nstyle=\"behavior:url(b.htc)\">"),
              (std::vector<std::pair<LegacyKind, int>>{{LegacyKind::Behavior, 2}}));
    EXPECT_TRUE(Legacy(kStyle, ".x { mybehavior: none }").empty());
}

TEST(CourseReferences, BrokenMarkupEndsTheScanCleanly) {
    for (const char* text : {"<img src=\"a.gif", "<!--[if IE]", "<script>doc.load('x", "<a href=", "<", "<style>url(",
                             "<p style=\"url('", "<meta http-equiv=refresh content=\"url="}) {
        EXPECT_NO_THROW(ScanCourseText(kPage, text)) << text;
    }
    EXPECT_EQ(Targets(kPage, "<img src=\"a.gif"), (std::vector<std::string>{"a.gif"}));
}

}  // namespace
}  // namespace dorv
