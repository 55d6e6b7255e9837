#include "PostgresStore.h"

#include "GroupCommit.h"

#include <libpq-fe.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

namespace {

// A query's result, cleared on scope exit.
struct TResult {
    PGresult* R = nullptr;
    explicit TResult(PGresult* r) : R(r) {}
    ~TResult() { PQclear(R); }
    TResult(const TResult&) = delete;
    TResult& operator=(const TResult&) = delete;
    ExecStatusType Status() const { return PQresultStatus(R); }
    int Rows() const { return PQntuples(R); }
    std::string Text(int row, int col) const {
        return std::string(PQgetvalue(R, row, col), size_t(PQgetlength(R, row, col)));
    }
    int64_t Int(int row, int col) const { return std::strtoll(PQgetvalue(R, row, col), nullptr, 10); }
    std::string Bytes(int row, int col) const {
        size_t n = 0;
        unsigned char* raw =
            PQunescapeBytea(reinterpret_cast<const unsigned char*>(PQgetvalue(R, row, col)), &n);
        std::string out(reinterpret_cast<const char*>(raw ? raw : reinterpret_cast<const unsigned char*>("")),
                        raw ? n : 0);
        PQfreemem(raw);
        return out;
    }
};

// Parameters of one statement: texts, or raw bytes sent in binary (bytea).
struct TParams {
    std::vector<std::string> Values;
    std::vector<int> Formats;
    TParams& Text(std::string v) {
        Values.push_back(std::move(v));
        Formats.push_back(0);
        return *this;
    }
    TParams& Int(int64_t v) { return Text(std::to_string(v)); }
    TParams& Bytes(std::string v) {
        Values.push_back(std::move(v));
        Formats.push_back(1);
        return *this;
    }
    std::vector<const char*> Pointers() const {
        std::vector<const char*> p;
        for (const std::string& v : Values)
            p.push_back(v.data());
        return p;
    }
    std::vector<int> Lengths() const {
        std::vector<int> l;
        for (const std::string& v : Values)
            l.push_back(int(v.size()));
        return l;
    }
};

// One connection that reopens itself after the server went away.
class TPgConnection {
  public:
    explicit TPgConnection(std::string url) : Url(std::move(url)) {}
    ~TPgConnection() {
        if (C) PQfinish(C);
    }
    TPgConnection(const TPgConnection&) = delete;
    TPgConnection& operator=(const TPgConnection&) = delete;

    // Connects when needed; raises EStoreUnavailable when the server cannot be reached.
    PGconn* Get() {
        if (C && PQstatus(C) == CONNECTION_OK) return C;
        if (C) PQfinish(C);
        const char* keys[] = {"dbname", "connect_timeout", "application_name", nullptr};
        const char* values[] = {Url.c_str(), "3", "spraydash-scores", nullptr};
        C = PQconnectdbParams(keys, values, 1);
        if (PQstatus(C) != CONNECTION_OK) {
            std::string why = PQerrorMessage(C);
            PQfinish(C);
            C = nullptr;
            throw EStoreUnavailable("database unreachable: " + FirstLine(why));
        }
        // Notices ("already exists, skipping") are no news for the operator's terminal or log.
        PQsetNoticeProcessor(
            C, [](void*, const char*) {}, nullptr);
        // A 200 means committed and flushed, whatever the server's default says.
        Run("SET synchronous_commit = on", {}, PGRES_COMMAND_OK);
        return C;
    }
    // Runs sql; raises EStoreUnavailable unless the result has the expected status.
    std::unique_ptr<TResult> Run(const char* sql, const TParams& params, ExecStatusType expected) {
        PGconn* c = Get();
        auto values = params.Pointers();
        auto lengths = params.Lengths();
        auto r = std::make_unique<TResult>(PQexecParams(c, sql, int(values.size()), nullptr, values.data(),
                                                        lengths.data(), params.Formats.data(), 0));
        if (r->Status() != expected) throw EStoreUnavailable("database: " + FirstLine(PQerrorMessage(c)));
        return r;
    }
    static std::string FirstLine(const std::string& s) {
        std::string line = s.substr(0, s.find('\n'));
        return line.empty() ? "connection lost" : line;
    }
    void Drop() {
        if (C) PQfinish(C);
        C = nullptr;
    }

    std::string Url;
    PGconn* C = nullptr;
};

// Bytes as hexadecimal digits, for decode(..., 'hex') on the server.
std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

// A one-dimensional array literal of quoted elements: any text survives, commas and quotes included.
std::string ArrayLiteral(const std::vector<std::string>& items) {
    std::string out = "{";
    for (size_t i = 0; i < items.size(); ++i) {
        if (i) out += ',';
        out += '"';
        for (char ch : items[i]) {
            if (ch == '"' || ch == '\\') out += '\\';
            out += ch;
        }
        out += '"';
    }
    out += '}';
    return out;
}

constexpr const char* kRowColumns = "id, type, name, score, addinfo, address, received, hidden";

TStoredRow ReadRow(const TResult& r, int i) {
    TStoredRow row;
    row.Id = r.Int(i, 0);
    row.Type = int32_t(r.Int(i, 1));
    row.Name = r.Bytes(i, 2);
    row.Score = int32_t(r.Int(i, 3));
    row.AddInfo = r.Bytes(i, 4);
    row.Address = r.Text(i, 5);
    row.Received = r.Int(i, 6);
    row.Hidden = r.Text(i, 7) == "t";
    return row;
}

class TPostgresStore : public TScoreStore {
  public:
    TPostgresStore(const std::string& url, const TStoreSettings& settings) : Url(url), WriterConn(url) {
        PrepareSchema();
        for (int i = 0; i < std::max(1, settings.PoolSize); ++i)
            Pool.push_back(std::make_unique<TPgConnection>(url));
        if (pipe(StopPipe) != 0) throw std::runtime_error("cannot create a pipe");
        Listener = std::thread([this] { Listen(); });
        if (settings.StartWriter)
            Group = std::make_unique<TGroupCommit>(
                [this](const std::vector<TNewResult>& batch, std::vector<TAddOutcome>& outcomes) {
                    CommitBatch(batch, outcomes);
                },
                settings.MaxBatch);
    }
    ~TPostgresStore() override {
        Close();
        if (Listener.joinable()) {
            (void)!write(StopPipe[1], "x", 1);
            Listener.join();
        }
        close(StopPipe[0]);
        close(StopPipe[1]);
    }

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
        auto lease = Borrow();
        auto r = lease->Run((std::string("SELECT ") + kRowColumns +
                             " FROM results WHERE type = $1 AND NOT hidden AND received >= $2"
                             " ORDER BY score DESC, id ASC LIMIT $3 OFFSET $4")
                                .c_str(),
                            TParams().Int(type).Int(since).Int(limit).Int(offset), PGRES_TUPLES_OK);
        std::vector<TStoredRow> rows;
        for (int i = 0; i < r->Rows(); ++i)
            rows.push_back(ReadRow(*r, i));
        return rows;
    }

    int64_t Count(int32_t type, int64_t since) override {
        auto lease = Borrow();
        auto r = lease->Run("SELECT count(*) FROM results WHERE type = $1 AND NOT hidden AND received >= $2",
                            TParams().Int(type).Int(since), PGRES_TUPLES_OK);
        return r->Rows() ? r->Int(0, 0) : 0;
    }

    std::vector<TStoredRow> Latest(int limit) override {
        auto lease = Borrow();
        auto r = lease->Run(
            (std::string("SELECT ") + kRowColumns + " FROM results ORDER BY id DESC LIMIT $1").c_str(),
            TParams().Int(limit), PGRES_TUPLES_OK);
        std::vector<TStoredRow> rows;
        for (int i = 0; i < r->Rows(); ++i)
            rows.push_back(ReadRow(*r, i));
        return rows;
    }

    bool SetHidden(int64_t id, bool hidden) override {
        return Change("UPDATE results SET hidden = $2 WHERE id = $1",
                      TParams().Int(id).Text(hidden ? "t" : "f"));
    }
    bool Delete(int64_t id) override {
        return Change("DELETE FROM results WHERE id = $1", TParams().Int(id));
    }

    uint64_t ChangeMark() override {
        // While the listening connection is down, nothing tells us of others' rows: no page is
        // served from the cache then.
        if (!ListenerUp.load()) return Generation.fetch_add(1) + 1;
        return Generation.load();
    }

    bool Healthy() override {
        try {
            auto lease = Borrow();
            lease->Run("SELECT 1", {}, PGRES_TUPLES_OK);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }

    void Close() override {
        if (Group) Group->Stop();
    }

  private:
    struct TLease {
        TPostgresStore* Store;
        TPgConnection* Conn;
        ~TLease() { Store->GiveBack(Conn); }
        TPgConnection* operator->() const { return Conn; }
    };
    TLease Borrow() {
        std::unique_lock<std::mutex> lock(PoolMutex);
        if (!PoolFree.wait_for(lock, std::chrono::seconds(3), [this] { return !Pool.empty(); }))
            throw EStoreUnavailable("all database connections are busy");
        TPgConnection* c = Pool.back().release();
        Pool.pop_back();
        return {this, c};
    }
    void GiveBack(TPgConnection* c) {
        std::lock_guard<std::mutex> lock(PoolMutex);
        Pool.emplace_back(c);
        PoolFree.notify_one();
    }

    // One change by the operator, announced to every process.
    bool Change(const char* sql, const TParams& params) {
        std::lock_guard<std::mutex> lock(WriterMutex);
        WriterConn.Run("BEGIN", {}, PGRES_COMMAND_OK);
        try {
            auto r = WriterConn.Run(sql, params, PGRES_COMMAND_OK);
            bool changed = std::strcmp(PQcmdTuples(r->R), "0") != 0;
            WriterConn.Run((std::string("NOTIFY ") + kChangeChannel).c_str(), {}, PGRES_COMMAND_OK);
            WriterConn.Run("COMMIT", {}, PGRES_COMMAND_OK);
            Generation.fetch_add(1);
            return changed;
        } catch (...) {
            WriterConn.Drop();
            throw;
        }
    }

    void PrepareSchema() {
        // Several processes may start together: one of them creates the schema, under a lock.
        WriterConn.Run("SELECT pg_advisory_lock(7726350)", {}, PGRES_TUPLES_OK);
        try {
            WriterConn.Run("CREATE TABLE IF NOT EXISTS schema_version(version integer NOT NULL)", {},
                           PGRES_COMMAND_OK);
            auto v = WriterConn.Run("SELECT version FROM schema_version", {}, PGRES_TUPLES_OK);
            std::optional<int64_t> version;
            if (v->Rows()) version = v->Int(0, 0);
            if (version && *version > kSchemaVersion)
                throw std::runtime_error("the database has schema version " + std::to_string(*version) +
                                         ", newer than this program's " + std::to_string(kSchemaVersion));
            if (!version) {
                WriterConn.Run("BEGIN", {}, PGRES_COMMAND_OK);
                WriterConn.Run("CREATE TABLE results("
                               " id bigserial PRIMARY KEY,"
                               " type integer NOT NULL, name bytea NOT NULL, score integer NOT NULL,"
                               " addinfo bytea NOT NULL, code text NOT NULL, address text NOT NULL,"
                               " received bigint NOT NULL, hidden boolean NOT NULL DEFAULT false)",
                               {}, PGRES_COMMAND_OK);
                WriterConn.Run("CREATE INDEX results_rank ON results(type, hidden, score DESC, id)", {},
                               PGRES_COMMAND_OK);
                WriterConn.Run("CREATE INDEX results_code ON results(code, received)", {}, PGRES_COMMAND_OK);
                WriterConn.Run("INSERT INTO schema_version(version) VALUES(1)", {}, PGRES_COMMAND_OK);
                WriterConn.Run("COMMIT", {}, PGRES_COMMAND_OK);
            }
            WriterConn.Run("SELECT pg_advisory_unlock(7726350)", {}, PGRES_TUPLES_OK);
        } catch (...) {
            WriterConn.Drop();
            throw;
        }
    }

    // Sends the whole batch in one round trip (pipeline) and one transaction.
    void CommitBatch(const std::vector<TNewResult>& batch, std::vector<TAddOutcome>& outcomes) {
        std::lock_guard<std::mutex> lock(WriterMutex);
        PGconn* c = WriterConn.Get();
        if (PQenterPipelineMode(c) != 1) throw EStoreUnavailable("database: cannot pipeline");
        auto send = [c](const char* sql, const TParams& p) {
            auto values = p.Pointers();
            auto lengths = p.Lengths();
            if (PQsendQueryParams(c, sql, int(values.size()), nullptr, values.data(), lengths.data(),
                                  p.Formats.data(), 0) != 1)
                throw EStoreUnavailable("database: " + TPgConnection::FirstLine(PQerrorMessage(c)));
        };
        // The whole batch goes in as arrays, one element per submission, so the server parses and
        // plans one INSERT however large the batch is.
        std::vector<std::string> types, names, scores, addInfos, codes, addresses, received;
        for (const TNewResult& r : batch) {
            types.push_back(std::to_string(r.Result.Type));
            names.push_back(Hex(r.Result.Name));
            scores.push_back(std::to_string(r.Result.Score));
            addInfos.push_back(Hex(r.Result.AddInfo));
            codes.push_back(r.Code);
            addresses.push_back(r.Address);
            received.push_back(std::to_string(r.Received));
        }
        const std::string codeArray = ArrayLiteral(codes);
        std::string error;
        try {
            send("BEGIN", {});
            // Same codes from other processes wait here, in one order for all (no deadlock), so
            // the duplicate check below sees each other's committed rows. It must stay a statement
            // of its own: the INSERT's snapshot is taken after the locks are held.
            send("SELECT pg_advisory_xact_lock(h) FROM"
                 " (SELECT DISTINCT hashtext(c) AS h FROM unnest($1::text[]) AS c ORDER BY 1) AS s",
                 TParams().Text(codeArray));
            // Codes inside one batch are distinct (the queue saw to that); ids follow the batch's order.
            send("INSERT INTO results(type, name, score, addinfo, code, address, received)"
                 " SELECT t.type, decode(t.name, 'hex'), t.score, decode(t.addinfo, 'hex'), t.code,"
                 " t.address, t.received"
                 " FROM unnest($1::integer[], $2::text[], $3::integer[], $4::text[], $5::text[],"
                 " $6::text[], $7::bigint[]) WITH ORDINALITY"
                 " AS t(type, name, score, addinfo, code, address, received, n)"
                 " WHERE NOT EXISTS (SELECT 1 FROM results AS o WHERE o.code = t.code"
                 " AND o.received > t.received - 600)"
                 " ORDER BY t.n RETURNING code",
                 TParams()
                     .Text(ArrayLiteral(types))
                     .Text(ArrayLiteral(names))
                     .Text(ArrayLiteral(scores))
                     .Text(ArrayLiteral(addInfos))
                     .Text(codeArray)
                     .Text(ArrayLiteral(addresses))
                     .Text(ArrayLiteral(received)));
            send((std::string("NOTIFY ") + kChangeChannel).c_str(), {});
            send("COMMIT", {});
            if (PQpipelineSync(c) != 1)
                throw EStoreUnavailable("database: " + TPgConnection::FirstLine(PQerrorMessage(c)));
            // One result (and a null) per statement, then the sync.
            size_t statement = 0;
            for (;;) {
                PGresult* raw = PQgetResult(c);
                if (!raw) {
                    if (PQstatus(c) != CONNECTION_OK) throw EStoreUnavailable("database: connection lost");
                    continue;
                }
                TResult r(raw);
                ExecStatusType st = r.Status();
                if (st == PGRES_PIPELINE_SYNC) break;
                if (st == PGRES_FATAL_ERROR || st == PGRES_PIPELINE_ABORTED || st == PGRES_NONFATAL_ERROR) {
                    if (error.empty()) error = TPgConnection::FirstLine(PQresultErrorMessage(raw));
                } else if (statement == 2) {
                    // The codes written come back; every other one was a duplicate of a stored row.
                    std::set<std::string> stored;
                    for (int i = 0; i < r.Rows(); ++i)
                        stored.insert(r.Text(i, 0));
                    for (size_t i = 0; i < batch.size(); ++i)
                        outcomes[i] =
                            stored.count(batch[i].Code) ? TAddOutcome::Stored : TAddOutcome::Duplicate;
                }
                ++statement;
            }
            PQexitPipelineMode(c);
        } catch (...) {
            WriterConn.Drop();
            throw;
        }
        if (!error.empty()) {
            // The failed transaction is still open on the connection: a fresh one is simpler.
            WriterConn.Drop();
            throw EStoreUnavailable("database: " + error);
        }
        Generation.fetch_add(1);
    }

    // The listening connection's thread: every notification moves the change mark.
    void Listen() {
        TPgConnection conn(Url);
        for (;;) {
            if (!ListenerUp.load()) {
                try {
                    conn.Drop();
                    conn.Run((std::string("LISTEN ") + kChangeChannel).c_str(), {}, PGRES_COMMAND_OK);
                    ListenerUp = true;
                    Generation.fetch_add(1); // whatever changed while we were deaf
                } catch (const std::exception&) {
                }
            }
            pollfd fds[2] = {{StopPipe[0], POLLIN, 0}, {-1, POLLIN, 0}};
            if (ListenerUp.load()) fds[1].fd = PQsocket(conn.C);
            poll(fds, 2, ListenerUp.load() ? 1000 : 250);
            if (fds[0].revents) return;
            if (!ListenerUp.load()) continue;
            if (PQconsumeInput(conn.C) != 1 || PQstatus(conn.C) != CONNECTION_OK) {
                ListenerUp = false;
                continue;
            }
            while (PGnotify* n = PQnotifies(conn.C)) {
                Generation.fetch_add(1);
                PQfreemem(n);
            }
        }
    }

    std::string Url;
    TPgConnection WriterConn;
    std::mutex WriterMutex;
    std::vector<std::unique_ptr<TPgConnection>> Pool;
    std::mutex PoolMutex;
    std::condition_variable PoolFree;
    std::atomic<uint64_t> Generation{1};
    std::atomic<bool> ListenerUp{false};
    int StopPipe[2] = {-1, -1};
    std::thread Listener;
    std::unique_ptr<TGroupCommit> Group;
};

} // namespace

std::unique_ptr<TScoreStore> OpenPostgresStore(const std::string& url, const TStoreSettings& settings) {
    try {
        return std::make_unique<TPostgresStore>(url, settings);
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string("PostgreSQL: ") + e.what());
    }
}
