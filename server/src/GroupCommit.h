// The queue and writer thread that commits concurrent submissions together: one durable commit
// (one fsync) for every batch instead of one per submission.
#pragma once
#include "ScoreStore.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

class TGroupCommit {
  public:
    // commit writes one batch in one transaction and fills outcomes (Stored or Duplicate per item);
    // it raises EStoreUnavailable (or any exception) when the batch could not be committed.
    using TCommitFn =
        std::function<void(const std::vector<TNewResult>& batch, std::vector<TAddOutcome>& outcomes)>;
    TGroupCommit(TCommitFn commit, int maxBatch);
    ~TGroupCommit();
    void Add(TNewResult result, std::function<void(const TAddResult&)> done);
    // Commits what is queued, then stops the thread. Later Adds are answered Unavailable.
    void Stop();

  private:
    struct TItem {
        TNewResult Result;
        std::function<void(const TAddResult&)> Done;
    };
    void Run();

    TCommitFn Commit;
    size_t MaxBatch;
    std::mutex Mutex;
    std::condition_variable Wake;
    std::deque<TItem> Queue;
    bool Stopping = false;
    std::thread Writer;
};
