#include "PostgresStore.h"
#include "ScoreStore.h"
#include "SqliteStore.h"

#include <future>

bool IsPostgresUrl(const std::string& db) {
    return db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0;
}

std::unique_ptr<TScoreStore> OpenScoreStore(const std::string& db, const TStoreSettings& settings) {
    if (IsPostgresUrl(db)) return OpenPostgresStore(db, settings);
    return OpenSqliteStore(db, settings);
}

TAddResult TScoreStore::Add(TNewResult result) {
    std::promise<TAddResult> answer;
    std::future<TAddResult> got = answer.get_future();
    AddAsync(std::move(result), [&answer](const TAddResult& r) { answer.set_value(r); });
    return got.get();
}
