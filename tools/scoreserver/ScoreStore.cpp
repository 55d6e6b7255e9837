#include "ScoreStore.h"

#include <sqlite3.h>

bool TScoreStore::Open(const std::string& path, std::string& error) {
    if (sqlite3_open(path.c_str(), &Db) != SQLITE_OK) {
        error = Db ? sqlite3_errmsg(Db) : "cannot open database";
        return false;
    }
    sqlite3_busy_timeout(Db, 2000);
    const char* schema =
        "CREATE TABLE IF NOT EXISTS results ("
        " id INTEGER PRIMARY KEY AUTOINCREMENT,"
        " type INTEGER NOT NULL, name BLOB NOT NULL, score INTEGER NOT NULL,"
        " key TEXT NOT NULL, addinfo BLOB NOT NULL,"
        " received TEXT NOT NULL DEFAULT CURRENT_TIMESTAMP)";
    char* message = nullptr;
    if (sqlite3_exec(Db, schema, nullptr, nullptr, &message) != SQLITE_OK) {
        error = message ? message : "cannot create table";
        sqlite3_free(message);
        return false;
    }
    return true;
}

TScoreStore::~TScoreStore() {
    if (Db) sqlite3_close(Db);
}

bool TScoreStore::Add(const TSubmittedResult& r, std::string& error) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(Db, "INSERT INTO results(type, name, score, key, addinfo) VALUES(?, ?, ?, ?, ?)", -1, &st,
                           nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(Db);
        return false;
    }
    std::string key(1, r.Key);
    // Names are 8-bit text of any code page: stored as bytes, never re-encoded.
    sqlite3_bind_int(st, 1, r.Type);
    sqlite3_bind_blob(st, 2, r.Name.data(), int(r.Name.size()), SQLITE_TRANSIENT);
    sqlite3_bind_int(st, 3, r.Score);
    sqlite3_bind_text(st, 4, key.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_blob(st, 5, r.AddInfo.data(), int(r.AddInfo.size()), SQLITE_TRANSIENT);
    bool ok = sqlite3_step(st) == SQLITE_DONE;
    if (!ok) error = sqlite3_errmsg(Db);
    sqlite3_finalize(st);
    return ok;
}

std::vector<TSubmittedResult> TScoreStore::Best(int type, int limit) {
    std::vector<TSubmittedResult> out;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(Db,
                           "SELECT name, score, key, addinfo FROM results WHERE type = ?"
                           " ORDER BY score DESC, id ASC LIMIT ?",
                           -1, &st, nullptr) != SQLITE_OK)
        return out;
    sqlite3_bind_int(st, 1, type);
    sqlite3_bind_int(st, 2, limit);
    // Column bytes as stored.
    auto bytes = [st](int col) {
        const void* p = sqlite3_column_blob(st, col);
        return std::string(static_cast<const char*>(p ? p : ""), size_t(sqlite3_column_bytes(st, col)));
    };
    while (sqlite3_step(st) == SQLITE_ROW) {
        TSubmittedResult r;
        r.Type = type;
        r.Name = bytes(0);
        r.Score = sqlite3_column_int(st, 1);
        std::string key = bytes(2);
        r.Key = key.empty() ? 0 : key[0];
        r.AddInfo = bytes(3);
        out.push_back(r);
    }
    sqlite3_finalize(st);
    return out;
}
