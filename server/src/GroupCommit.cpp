#include "GroupCommit.h"

#include <map>

TGroupCommit::TGroupCommit(TCommitFn commit, int maxBatch)
    : Commit(std::move(commit)), MaxBatch(size_t(maxBatch > 0 ? maxBatch : 1)), Writer([this] { Run(); }) {}

TGroupCommit::~TGroupCommit() {
    Stop();
}

void TGroupCommit::Add(TNewResult result, std::function<void(const TAddResult&)> done) {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        if (!Stopping) {
            Queue.push_back({std::move(result), std::move(done)});
            Wake.notify_one();
            return;
        }
    }
    done({TAddOutcome::Unavailable, "the service is shutting down"});
}

void TGroupCommit::Stop() {
    {
        std::lock_guard<std::mutex> lock(Mutex);
        Stopping = true;
        Wake.notify_one();
    }
    if (Writer.joinable()) Writer.join();
}

void TGroupCommit::Run() {
    for (;;) {
        std::vector<TItem> items;
        {
            std::unique_lock<std::mutex> lock(Mutex);
            Wake.wait(lock, [this] { return Stopping || !Queue.empty(); });
            if (Queue.empty()) return;
            // Everything that arrived while the last commit was syncing goes into this one.
            while (!Queue.empty() && items.size() < MaxBatch) {
                items.push_back(std::move(Queue.front()));
                Queue.pop_front();
            }
        }
        // Identical codes inside one batch: the first is written, the others are its duplicates.
        std::vector<TNewResult> batch;
        std::vector<int> writtenAs(items.size(), -1);
        std::map<std::string, int> firstOfCode;
        for (size_t i = 0; i < items.size(); ++i) {
            auto [at, isNew] = firstOfCode.emplace(items[i].Result.Code, int(batch.size()));
            if (isNew) batch.push_back(items[i].Result);
            writtenAs[i] = at->second;
        }
        std::vector<TAddOutcome> outcomes;
        std::string error;
        try {
            outcomes.assign(batch.size(), TAddOutcome::Stored);
            Commit(batch, outcomes);
        } catch (const std::exception& e) {
            error = e.what();
            outcomes.assign(batch.size(), TAddOutcome::Unavailable);
        }
        std::vector<bool> answered(batch.size(), false);
        for (size_t i = 0; i < items.size(); ++i) {
            int b = writtenAs[i];
            TAddOutcome o = outcomes[size_t(b)];
            if (o == TAddOutcome::Stored && answered[size_t(b)]) o = TAddOutcome::Duplicate;
            answered[size_t(b)] = true;
            items[i].Done({o, o == TAddOutcome::Unavailable ? error : std::string()});
        }
    }
}
