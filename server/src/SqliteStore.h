// The SQLite engine: one file, WAL, every commit synced, one writer committing in groups.
#pragma once
#include "ScoreStore.h"

std::unique_ptr<TScoreStore> OpenSqliteStore(const std::string& path, const TStoreSettings& settings);
