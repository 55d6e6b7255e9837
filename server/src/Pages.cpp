#include "Pages.h"

#include "Html.h"

namespace {

std::string Head(const std::string& title) {
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>" +
           HtmlText(title) +
           "</title>\n"
           "<link rel=\"stylesheet\" href=\"/static/site.css\">\n"
           "<link rel=\"icon\" type=\"image/png\" href=\"/static/icon.png\">\n</head>\n";
}

std::string Banner() {
    return "<header class=\"banner\">\n<a href=\"/\"><img class=\"title\" src=\"/static/title.png\" "
           "alt=\"Spray Dash\""
           " width=\"800\" height=\"100\"></a>\n"
           "<div class=\"boats\" aria-hidden=\"true\"><img src=\"/static/boat1.png\" alt=\"\" width=\"30\" "
           "height=\"62\">"
           "<img src=\"/static/boat2.png\" alt=\"\" width=\"30\" height=\"62\">"
           "<img src=\"/static/boat3.png\" alt=\"\" width=\"30\" height=\"62\"></div>\n</header>\n";
}

std::string Footer() {
    return "<footer><a href=\"/\">Spray Dash</a> &middot; <a href=\"" +
           HtmlText(WorldPath(0, TPeriod::AllTime, 1)) +
           "\">World high scores</a></footer>\n</body>\n</html>\n";
}

const char* PeriodLabel(TPeriod p) {
    switch (p) {
    case TPeriod::Day:
        return "Today";
    case TPeriod::Week:
        return "This week";
    case TPeriod::AllTime:
        break;
    }
    return "All time";
}

std::string ScoreRows(const std::vector<TStoredRow>& rows, int firstRank) {
    std::string out;
    int rank = firstRank;
    for (const TStoredRow& r : rows) {
        out += "<tr><td class=\"rank\">" + std::to_string(rank++) + "</td><td class=\"name\">" +
               HtmlText(r.Name) + "</td><td class=\"score\">" + std::to_string(r.Score) +
               "</td><td class=\"info\">" + HtmlText(r.AddInfo) + "</td></tr>\n";
    }
    return out;
}

std::string ScoreTable(const std::vector<TStoredRow>& rows, int firstRank) {
    return "<table class=\"scores\">\n<thead><tr><th class=\"rank\">Rank</th><th class=\"name\">Name</th>"
           "<th class=\"score\">Score</th><th class=\"info\">Info</th></tr></thead>\n<tbody>\n" +
           ScoreRows(rows, firstRank) + "</tbody>\n</table>\n";
}

} // namespace

const char* PeriodKey(TPeriod p) {
    switch (p) {
    case TPeriod::Day:
        return "day";
    case TPeriod::Week:
        return "week";
    case TPeriod::AllTime:
        break;
    }
    return "all";
}

bool PeriodFromKey(const std::string& key, TPeriod& p) {
    for (TPeriod c : {TPeriod::Day, TPeriod::Week, TPeriod::AllTime})
        if (key == PeriodKey(c)) {
            p = c;
            return true;
        }
    return false;
}

int64_t PeriodStart(TPeriod p, int64_t now) {
    switch (p) {
    case TPeriod::Day:
        return now - 24 * 3600;
    case TPeriod::Week:
        return now - 7 * 24 * 3600;
    case TPeriod::AllTime:
        break;
    }
    return INT64_MIN;
}

std::string WorldPath(int32_t type, TPeriod period, int page) {
    // The game's own address first, so that its link and ours are the same page.
    std::string path = "/cgi/version.pl?prg=SprayDash&show&type=" + std::to_string(type);
    if (period != TPeriod::AllTime) path += std::string("&period=") + PeriodKey(period);
    if (page > 1) path += "&page=" + std::to_string(page);
    return path;
}

std::string RenderWorldPage(const TWorldView& v) {
    int64_t pages = (v.Total + kRowsPerPage - 1) / kRowsPerPage;
    if (pages > kMaxPages) pages = kMaxPages;
    std::string out = Head("Spray Dash \xE2\x80\x94 World high scores");
    out += "<body class=\"world\">\n" + Banner() + "<main class=\"board\">\n<h1>World high scores</h1>\n";
    out += "<nav class=\"periods\" aria-label=\"Period\">";
    for (TPeriod p : {TPeriod::Day, TPeriod::Week, TPeriod::AllTime}) {
        out += "<a href=\"" + HtmlText(WorldPath(v.Type, p, 1)) + "\"";
        if (p == v.Period) out += " class=\"current\" aria-current=\"page\"";
        out += std::string(">") + PeriodLabel(p) + "</a>";
    }
    out += "</nav>\n";
    if (v.Rows.empty()) {
        out += "<p class=\"empty\">No results here yet. Race, make the top ten and send yours!</p>\n";
    } else {
        out += ScoreTable(v.Rows, (v.Page - 1) * kRowsPerPage + 1);
    }
    if (pages > 1) {
        out += "<nav class=\"pager\" aria-label=\"Pages\">";
        if (v.Page > 1)
            out += "<a rel=\"prev\" href=\"" + HtmlText(WorldPath(v.Type, v.Period, v.Page - 1)) +
                   "\">&larr; Better</a>";
        out += "<span>Page " + std::to_string(v.Page) + " of " + std::to_string(pages) + "</span>";
        if (v.Page < pages)
            out += "<a rel=\"next\" href=\"" + HtmlText(WorldPath(v.Type, v.Period, v.Page + 1)) +
                   "\">More &rarr;</a>";
        out += "</nav>\n";
    }
    out += "</main>\n" + Footer();
    return out;
}

std::string RenderSitePage(const std::vector<TStoredRow>& best) {
    std::string out = Head("Spray Dash \xE2\x80\x94 a summer arcade boat race");
    out += "<body class=\"site\">\n" + Banner();
    out +=
        "<main>\n<section class=\"board intro\">\n<h1>A summer arcade boat race</h1>\n"
        "<p>Pick one of three boats and race down a river, level after level: dodge or shoot trees, weed, "
        "ducks, "
        "fishermen, bridges, ships and other boats, jump the ramps, collect bonus boxes and timed power-ups "
        "&mdash; gun, engine, shield &mdash; and beat the clock.</p>\n"
        "<p>A good result enters your local top ten and can be sent here, to the world high-score "
        "table.</p>\n"
        "<p class=\"cta\"><a class=\"button\" href=\"" +
        HtmlText(WorldPath(0, TPeriod::AllTime, 1)) + "\">World high scores</a></p>\n</section>\n";
    out +=
        "<section class=\"board shots\">\n<h2>Screenshots</h2>\n<div class=\"gallery\">"
        "<figure><img src=\"/static/screenshot-menu.png\" alt=\"The main menu\" width=\"800\" height=\"600\">"
        "<figcaption>The main menu</figcaption></figure>"
        "<figure><img src=\"/static/screenshot-race.png\" alt=\"A race on the river\" width=\"800\" "
        "height=\"600\">"
        "<figcaption>On the river</figcaption></figure></div>\n</section>\n";
    out +=
        "<section class=\"board install\">\n<h2>Install</h2>\n"
        "<p>Spray Dash runs on the Linux desktop (800 &times; 600 in a window or full screen) with keyboard, "
        "mouse or game controller.</p>\n"
        "<ul><li>Debian or Ubuntu: install the <code>spraydash</code> package "
        "(<code>sudo apt install ./spraydash_*.deb</code>) and start <em>Spray Dash</em> from the "
        "menu.</li>\n"
        "<li>From source: <code>bash scripts/play.sh</code> builds the game and starts it.</li></ul>\n"
        "<h2>How to play</h2>\n<p>Hold Up to open the throttle, steer with Left and Right, brake with Down, "
        "fire with "
        "Space when you have the gun. P pauses, Esc ends the race.</p>\n</section>\n";
    if (!best.empty()) {
        out += "<section class=\"board best\">\n<h2>Best of all time</h2>\n" + ScoreTable(best, 1) +
               "<p><a href=\"" + HtmlText(WorldPath(0, TPeriod::AllTime, 1)) +
               "\">The whole table &rarr;</a></p>\n</section>\n";
    }
    out += "</main>\n" + Footer();
    return out;
}

std::string RenderNotFoundPage() {
    return Head("Spray Dash \xE2\x80\x94 not found") + "<body class=\"site\">\n" + Banner() +
           "<main class=\"board\">\n<h1>Nothing here</h1>\n<p>This page does not exist. "
           "<a href=\"/\">To the start page</a>.</p>\n</main>\n" +
           Footer();
}
