// The first document of the status view: the head with the style sheet that
// every later page relies on, and a body asking for a tab click.

#include "reporting/HtmlReadme.h"

namespace {

const char* const kStyleRules[] = {
    "BODY { LINE-HEIGHT: 100%; font-size: 100%; font-family: Verdana, Arial, sans-serif;WIDTH: 100%; "
    "text-align: left; padding: 0px 0px 0px 0px; margin : 10px 0px 10px 0px;}",
    "a:visited { text-decoration: underline;color: #395CEF;}",
    "H2 { FONT-SIZE: 105%; color: #FFFFFF; WIDTH: 100%; padding: 10px 10px 5px 10px; background: #CC5500;}",
    "H3 { FONT-SIZE: 100%; color: #884444; padding-left: 12px;}",
    "b { color: #994444}",
    "p { padding-left: 25px; FONT-SIZE: 90%; line-height: 1.2 }",
    "ul { padding-bottom: 0px; margin-right:5px;}",
    "li { padding: 0px 0px 12px 0px; FONT-SIZE: 90%; line-height: 1.2; }",
    ".account_box { mergin : 0 0 0 0; padding : 0 0 0 0; width : 100%; }",
    ".account_total { mergin : 0 0 0 0; padding : 0 0 0 0; width : 40%; float:left; overflow: hidden;}",
    ".account_trader { mergin : 0 0 0 0; width : 100%; overflow: hidden;}",
    ".account_position { mergin : 0 0 0 0; width:100%; overflow: hidden;}",
    ".account_total ul { mergin : 0 0 0 0; padding: 0px 0px 0px 0px; FONT-SIZE: 90%; line-height: 1.2; }",
    ".account_total li { mergin : 0 0 0 0; padding: 0px 0px 2px 0px; }",
    ".account_trader ul { mergin : 0 0 0 0; padding: 0px 0px 0px 0px; FONT-SIZE: 90%; line-height: 1.2; }",
    ".account_trader li { mergin : 0 0 0 0; padding: 0px 0px 2px 0px; }",
    ".account_position ul { mergin : 0 0 0 0; padding: 0px 0px 0px 0px; FONT-SIZE: 90%; line-height: 1.2; }",
    ".account_position li { mergin : 0 0 0 0; padding: 0px 0px 2px 0px; }",
    ".chart{margin : 0 0 0 0;\tpadding : 10 12 0 12; width:100%; overflow: hidden; }",
    ".chart_title{ margin : 0 0 0 0;\tpadding : 5px 5px 5px 8px; width:100%; font-size:80%; color: #884444; "
    "overflow: hidden; border-top: 1px solid #E0DADA; border-left: 1px solid #E0DADA; border-right: 1px solid "
    "#E0DADA;}",
    ".chart_title2{margin : 0 0 0 0;\tpadding : 5px 5px 5px 8px; width:50%; float:left; font-size:80%; color: "
    "#884444; overflow: hidden; border-top: 1px solid #E0DADA; border-left: 1px solid #E0DADA; border-right: 1px "
    "solid #E0DADA;}",
    ".chart_body{  margin : 0 0 0 0;\tpadding : 0px 0px 12px 30px; width:100%;\toverflow: hidden; border: 1px "
    "solid #E0DADA;}",
    ".chart_body2{ margin : 0 0 0 0;\tpadding : 0px 0px 12px 30px; width:50%;\tfloat:left; overflow: hidden; "
    "border: 1px solid #E0DADA;}",
};

// The browser control the pages were written for laid out a span that has a
// width as a block, counted padding and border inside that width, and let a
// full-width box share its line with a float. This engine does none of it by
// itself; a second sheet, after the 23 rules above, gives the pages the
// layout they were written for.
const char kLayoutRules[] =
    "span.account_box, span.account_total, span.account_trader, span.account_position, span.chart, "
    "span.chart_title, span.chart_body, span.chart_title2, span.chart_body2 { display: block; box-sizing: border-box; }"
    "h2 { box-sizing: border-box; }"
    "span.account_trader, span.account_position { width: auto; }"
    "span.chart_body span, span.account_total div span { display: inline-block; vertical-align: top; }";

} // namespace

std::string StatusDocumentText()
{
    std::string text = "<HTML>"
                       "<HEAD>"
                       "<meta http-equiv=\"content-style-type\" content=\"text/css; charset=Shift_JIS\">"
                       "<style type=\"text/css\">"
                       "<!--";
    for (const char* rule : kStyleRules) text += rule;
    text += "-->"
            "</style>"
            "<style type=\"text/css\">";
    text += kLayoutRules;
    text += "</style>"
            "</HEAD>"
            "<BODY><h2>タブをクリックして画面を再読み込みしてください</h2></BODY>"
            "</HTML>";
    return text;
}
