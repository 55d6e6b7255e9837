// The HTML of the world high-score page and the publisher's site, in the game's look.
#pragma once
#include "ScoreStore.h"

#include <string>
#include <vector>

// Which results the world page ranks.
enum class TPeriod { Day, Week, AllTime };

// Rows shown per page of the world table, and the deepest page offered.
inline constexpr int kRowsPerPage = 100;
inline constexpr int kMaxPages = 100;

// The query value of a period ("day", "week", "all") and back; unknown text gives false.
const char* PeriodKey(TPeriod p);
bool PeriodFromKey(const std::string& key, TPeriod& p);
// The first second a period covers, for a page built at now.
int64_t PeriodStart(TPeriod p, int64_t now);

// Everything one page of the world table shows.
struct TWorldView {
    int32_t Type = 0;
    TPeriod Period = TPeriod::AllTime;
    int Page = 1;      // 1-based
    int64_t Total = 0; // visible results in the period
    std::vector<TStoredRow> Rows;
};

// The world address the game opens, with a period and a page.
std::string WorldPath(int32_t type, TPeriod period, int page);
std::string RenderWorldPage(const TWorldView& view);
// The publisher's site: the game, screenshots, how to install it, the best five of all time.
std::string RenderSitePage(const std::vector<TStoredRow>& best);
// A small page for an unknown address.
std::string RenderNotFoundPage();
