// The score server's SQLite table of submitted results.
#pragma once
#include "ScoreCodec.h"

#include <string>
#include <vector>

struct sqlite3;

// Opens (creating when needed) the results database and reads and writes it.
class TScoreStore {
public:
    // Opens path; false with a reason in error.
    bool Open(const std::string& path, std::string& error);
    ~TScoreStore();
    // Stores one result; false with a reason in error.
    bool Add(const TSubmittedResult& result, std::string& error);
    // The best results of a type, highest score first, ties in arrival order.
    std::vector<TSubmittedResult> Best(int type, int limit);

private:
    sqlite3* Db = nullptr;
};
