// The one interface both storage engines (SQLite, PostgreSQL) offer the service and the admin tool.
#pragma once
#include "resultcode/ResultCode.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// The database cannot be reached or refused the operation; the service answers 503.
class EStoreUnavailable : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The schema version this program writes; a database of a newer version is refused.
inline constexpr int kSchemaVersion = 1;

// A second copy of the same code within this many seconds is answered as stored, and kept once.
inline constexpr int64_t kDuplicateWindowSeconds = 600;

// One result on its way into the database.
struct TNewResult {
    TSubmittedResult Result;
    std::string Code;     // the code as sent: identical codes are duplicates
    std::string Address;  // the client's address, for moderation
    int64_t Received = 0; // seconds since 1970 (UTC)
};

// One stored row.
struct TStoredRow {
    int64_t Id = 0;
    int32_t Type = 0;
    std::string Name;
    int32_t Score = 0;
    std::string AddInfo;
    std::string Address;
    int64_t Received = 0;
    bool Hidden = false;
};

enum class TAddOutcome { Stored, Duplicate, Unavailable };

// What became of one submission, handed to its callback after the commit.
struct TAddResult {
    TAddOutcome Outcome = TAddOutcome::Unavailable;
    std::string Error;
};

class TScoreStore {
  public:
    virtual ~TScoreStore() = default;
    // Queues result for the next group commit; done runs (on the writer's thread) once the row is
    // durable, found to be a duplicate, or could not be written.
    virtual void AddAsync(TNewResult result, std::function<void(const TAddResult&)> done) = 0;
    // Blocking form of AddAsync.
    TAddResult Add(TNewResult result);
    // Visible results of a type received at or after since, best first (ties: earlier first).
    virtual std::vector<TStoredRow> Top(int32_t type, int64_t since, int offset, int limit) = 0;
    // How many visible results Top would page through.
    virtual int64_t Count(int32_t type, int64_t since) = 0;
    // The newest rows, hidden ones included, for moderation.
    virtual std::vector<TStoredRow> Latest(int limit) = 0;
    // Hides or shows a row; false when there is no such row.
    virtual bool SetHidden(int64_t id, bool hidden) = 0;
    // Deletes a row; false when there is no such row.
    virtual bool Delete(int64_t id) = 0;
    // A value that changes whenever stored rows may have changed (in this process or any other).
    virtual uint64_t ChangeMark() = 0;
    // True when the database answers now.
    virtual bool Healthy() = 0;
    // Finishes the queued submissions and stops the writer.
    virtual void Close() = 0;
};

// Settings shared by both engines.
struct TStoreSettings {
    int PoolSize = 4;        // reading connections
    int MaxBatch = 256;      // submissions committed together at most
    bool StartWriter = true; // the admin tool writes without the group-commit thread
};

// Opens "postgresql://..." / "postgres://..." with PostgreSQL, anything else as an SQLite file.
// Creates the schema when needed; raises std::runtime_error with a reason when it cannot.
std::unique_ptr<TScoreStore> OpenScoreStore(const std::string& db, const TStoreSettings& settings);
bool IsPostgresUrl(const std::string& db);
