#include "SqliteStore.h"

#include "GroupCommit.h"

#include <sqlite3.h>

#include <condition_variable>
#include <mutex>
#include <optional>

namespace {

// One connection with its error reporting.
class TConnection {
  public:
    explicit TConnection(const std::string& path, bool readOnly) {
        int flags = readOnly ? SQLITE_OPEN_READONLY : (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        if (sqlite3_open_v2(path.c_str(), &Db, flags | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
            std::string why = Db ? sqlite3_errmsg(Db) : "cannot open";
            sqlite3_close(Db);
            throw std::runtime_error(path + ": " + why);
        }
        // Another process may hold the write lock for a commit; wait for it rather than fail.
        sqlite3_busy_timeout(Db, 5000);
    }
    ~TConnection() { sqlite3_close_v2(Db); }
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;

    void Exec(const char* sql) {
        char* message = nullptr;
        if (sqlite3_exec(Db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
            std::string why = message ? message : sqlite3_errmsg(Db);
            sqlite3_free(message);
            throw EStoreUnavailable(why);
        }
    }
    sqlite3* Db = nullptr;
};

// A prepared statement, finalized on scope exit.
class TStatement {
  public:
    TStatement(sqlite3* db, const char* sql) : Db(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &St, nullptr) != SQLITE_OK)
            throw EStoreUnavailable(sqlite3_errmsg(db));
    }
    ~TStatement() { sqlite3_finalize(St); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;
    TStatement& Bind(int i, int64_t v) {
        sqlite3_bind_int64(St, i, v);
        return *this;
    }
    // Names and texts are 8-bit bytes of any code page: stored as they came, never re-encoded.
    TStatement& BindBytes(int i, const std::string& v) {
        sqlite3_bind_blob(St, i, v.data(), int(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    TStatement& BindText(int i, const std::string& v) {
        sqlite3_bind_text(St, i, v.data(), int(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    // True for a row, false when done; raises on an error.
    bool Step() {
        int rc = sqlite3_step(St);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throw EStoreUnavailable(sqlite3_errmsg(Db));
    }
    void Reset() {
        sqlite3_reset(St);
        sqlite3_clear_bindings(St);
    }
    int64_t Int(int col) { return sqlite3_column_int64(St, col); }
    std::string Bytes(int col) {
        const void* p = sqlite3_column_blob(St, col);
        return std::string(static_cast<const char*>(p ? p : ""), size_t(sqlite3_column_bytes(St, col)));
    }

  private:
    sqlite3* Db;
    sqlite3_stmt* St = nullptr;
};

constexpr const char* kRowColumns = "id, type, name, score, addinfo, address, received, hidden";

TStoredRow ReadRow(TStatement& st) {
    TStoredRow r;
    r.Id = st.Int(0);
    r.Type = int32_t(st.Int(1));
    r.Name = st.Bytes(2);
    r.Score = int32_t(st.Int(3));
    r.AddInfo = st.Bytes(4);
    r.Address = st.Bytes(5);
    r.Received = st.Int(6);
    r.Hidden = st.Int(7) != 0;
    return r;
}

// Creates the schema in a new file, or checks the version of an existing one.
void PrepareSchema(TConnection& c) {
    c.Exec("BEGIN IMMEDIATE");
    try {
        c.Exec("CREATE TABLE IF NOT EXISTS schema_version(version INTEGER NOT NULL)");
        std::optional<int64_t> version;
        {
            TStatement st(c.Db, "SELECT version FROM schema_version");
            if (st.Step()) version = st.Int(0);
        }
        if (version && *version > kSchemaVersion)
            throw std::runtime_error("the database has schema version " + std::to_string(*version) +
                                     ", newer than this program's " + std::to_string(kSchemaVersion));
        if (!version) {
            c.Exec(
                "CREATE TABLE results("
                " id INTEGER PRIMARY KEY AUTOINCREMENT,"
                " type INTEGER NOT NULL, name BLOB NOT NULL, score INTEGER NOT NULL, addinfo BLOB NOT NULL,"
                " code TEXT NOT NULL, address TEXT NOT NULL, received INTEGER NOT NULL,"
                " hidden INTEGER NOT NULL DEFAULT 0)");
            c.Exec("CREATE INDEX results_rank ON results(type, hidden, score DESC, id)");
            c.Exec("CREATE INDEX results_code ON results(code, received)");
            c.Exec("INSERT INTO schema_version(version) VALUES(1)");
        }
        c.Exec("COMMIT");
    } catch (...) {
        sqlite3_exec(c.Db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

class TSqliteStore : public TScoreStore {
  public:
    TSqliteStore(const std::string& path, const TStoreSettings& settings) : Path(path), Writer(path, false) {
        // WAL lets the pages be read while a commit is syncing; FULL syncs the log on every
        // commit, so a 200 means the row survives a crash or a power cut.
        Writer.Exec("PRAGMA journal_mode=WAL");
        Writer.Exec("PRAGMA synchronous=FULL");
        PrepareSchema(Writer);
        Watch = std::make_unique<TConnection>(path, true);
        for (int i = 0; i < std::max(1, settings.PoolSize); ++i)
            Readers.push_back(std::make_unique<TConnection>(path, true));
        if (settings.StartWriter)
            Group = std::make_unique<TGroupCommit>(
                [this](const std::vector<TNewResult>& batch, std::vector<TAddOutcome>& outcomes) {
                    CommitBatch(batch, outcomes);
                },
                settings.MaxBatch);
    }
    ~TSqliteStore() override { Close(); }

    void AddAsync(TNewResult result, std::function<void(const TAddResult&)> done) override {
        if (Group) {
            Group->Add(std::move(result), std::move(done));
            return;
        }
        std::vector<TAddOutcome> outcomes(1);
        try {
            CommitBatch({result}, outcomes);
            done({outcomes[0], {}});
        } catch (const std::exception& e) {
            done({TAddOutcome::Unavailable, e.what()});
        }
    }

    std::vector<TStoredRow> Top(int32_t type, int64_t since, int offset, int limit) override {
        auto reader = Borrow();
        TStatement st(reader->Db, (std::string("SELECT ") + kRowColumns +
                                   " FROM results WHERE type = ? AND hidden = 0 AND received >= ?"
                                   " ORDER BY score DESC, id ASC LIMIT ? OFFSET ?")
                                      .c_str());
        st.Bind(1, type).Bind(2, since).Bind(3, limit).Bind(4, offset);
        std::vector<TStoredRow> rows;
        while (st.Step())
            rows.push_back(ReadRow(st));
        return rows;
    }

    int64_t Count(int32_t type, int64_t since) override {
        auto reader = Borrow();
        TStatement st(reader->Db,
                      "SELECT count(*) FROM results WHERE type = ? AND hidden = 0 AND received >= ?");
        st.Bind(1, type).Bind(2, since);
        return st.Step() ? st.Int(0) : 0;
    }

    std::vector<TStoredRow> Latest(int limit) override {
        auto reader = Borrow();
        TStatement st(
            reader->Db,
            (std::string("SELECT ") + kRowColumns + " FROM results ORDER BY id DESC LIMIT ?").c_str());
        st.Bind(1, limit);
        std::vector<TStoredRow> rows;
        while (st.Step())
            rows.push_back(ReadRow(st));
        return rows;
    }

    bool SetHidden(int64_t id, bool hidden) override {
        std::lock_guard<std::mutex> lock(WriterMutex);
        TStatement st(Writer.Db, "UPDATE results SET hidden = ? WHERE id = ?");
        st.Bind(1, hidden ? 1 : 0).Bind(2, id);
        st.Step();
        return sqlite3_changes(Writer.Db) > 0;
    }

    bool Delete(int64_t id) override {
        std::lock_guard<std::mutex> lock(WriterMutex);
        TStatement st(Writer.Db, "DELETE FROM results WHERE id = ?");
        st.Bind(1, id);
        st.Step();
        return sqlite3_changes(Writer.Db) > 0;
    }

    uint64_t ChangeMark() override {
        // data_version moves whenever another connection (ours or another process's) committed.
        std::lock_guard<std::mutex> lock(WatchMutex);
        TStatement st(Watch->Db, "PRAGMA data_version");
        return st.Step() ? uint64_t(st.Int(0)) : 0;
    }

    bool Healthy() override {
        try {
            auto reader = Borrow();
            TStatement st(reader->Db, "SELECT 1 FROM schema_version");
            st.Step();
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

    void Close() override {
        if (Group) Group->Stop();
    }

  private:
    // A reading connection for the caller's scope.
    struct TLease {
        TSqliteStore* Store;
        TConnection* Conn;
        ~TLease() { Store->GiveBack(Conn); }
        TConnection* operator->() const { return Conn; }
    };
    TLease Borrow() {
        std::unique_lock<std::mutex> lock(ReaderMutex);
        ReaderFree.wait(lock, [this] { return !Readers.empty(); });
        TConnection* c = Readers.back().release();
        Readers.pop_back();
        return {this, c};
    }
    void GiveBack(TConnection* c) {
        std::lock_guard<std::mutex> lock(ReaderMutex);
        Readers.emplace_back(c);
        ReaderFree.notify_one();
    }

    void CommitBatch(const std::vector<TNewResult>& batch, std::vector<TAddOutcome>& outcomes) {
        std::lock_guard<std::mutex> lock(WriterMutex);
        // The write lock is taken at BEGIN, so the duplicate check and the insert cannot interleave
        // with another process's.
        Writer.Exec("BEGIN IMMEDIATE");
        try {
            TStatement seen(Writer.Db, "SELECT 1 FROM results WHERE code = ? AND received > ? LIMIT 1");
            TStatement insert(Writer.Db,
                              "INSERT INTO results(type, name, score, addinfo, code, address, received)"
                              " VALUES(?, ?, ?, ?, ?, ?, ?)");
            for (size_t i = 0; i < batch.size(); ++i) {
                const TNewResult& r = batch[i];
                seen.Reset();
                seen.BindText(1, r.Code).Bind(2, r.Received - kDuplicateWindowSeconds);
                if (seen.Step()) {
                    outcomes[i] = TAddOutcome::Duplicate;
                    continue;
                }
                insert.Reset();
                insert.Bind(1, r.Result.Type).BindBytes(2, r.Result.Name).Bind(3, r.Result.Score);
                insert.BindBytes(4, r.Result.AddInfo)
                    .BindText(5, r.Code)
                    .BindText(6, r.Address)
                    .Bind(7, r.Received);
                insert.Step();
                outcomes[i] = TAddOutcome::Stored;
            }
            Writer.Exec("COMMIT");
        } catch (...) {
            sqlite3_exec(Writer.Db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }

    std::string Path;
    TConnection Writer;
    std::mutex WriterMutex;
    std::unique_ptr<TConnection> Watch;
    std::mutex WatchMutex;
    std::vector<std::unique_ptr<TConnection>> Readers;
    std::mutex ReaderMutex;
    std::condition_variable ReaderFree;
    std::unique_ptr<TGroupCommit> Group;
};

} // namespace

std::unique_ptr<TScoreStore> OpenSqliteStore(const std::string& path, const TStoreSettings& settings) {
    try {
        return std::make_unique<TSqliteStore>(path, settings);
    } catch (const std::exception& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}
