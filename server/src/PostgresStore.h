// The PostgreSQL engine: a small connection pool for pages, one writer committing in groups, and a
// listening connection that learns of rows stored by other processes (LISTEN/NOTIFY).
#pragma once
#include "ScoreStore.h"

// The channel every process notifies after it changed rows.
inline constexpr const char* kChangeChannel = "spraydash_scores";

std::unique_ptr<TScoreStore> OpenPostgresStore(const std::string& url, const TStoreSettings& settings);
