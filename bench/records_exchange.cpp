// How long the result submission blocks the game: a send to a loopback server that answers at
// once (median and worst of 200), and how long the call waits on a server that never answers
// with the game's own time limits. Also the cost of writing both save files at exit.
// Goals: a send under 20 ms on loopback; a silent server given up on within 6 s.
#include <algorithm>
#include <vector>

#include "BenchUtil.h"
#include "records/HighScores.h"
#include "records/Http.h"
#include "records/LoopbackServer.h"
#include "records/Options.h"
#include "records/ResultSubmission.h"
#include "records/SaveFiles.h"

int main() {
    bench::EnterScratchDir("records");
    // A server that answers every request on a connection at once, as the score server would.
    TLoopbackServer quick([](platform::TTcpSocket& s, TLoopbackServer& self) {
        while (!self.ReadRequest(s).empty())
            TLoopbackServer::Send(s, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nOK");
    });
    if (!quick.Ok()) return 1;
    ScoreServerHost = "127.0.0.1:" + std::to_string(quick.Port());
    std::vector<double> ms;
    for (int i = 0; i < 200; ++i) {
        double t = bench::Now();
        SubmitResult("RIVERKING", 4321 + i);
        ms.push_back((bench::Now() - t) * 1000.0);
    }
    std::sort(ms.begin(), ms.end());
    bench::Row("result submission, loopback, median", ms[ms.size() / 2], "ms", "< 20");
    bench::Row("result submission, loopback, worst of 200", ms.back(), "ms", "< 20");

    TLoopbackServer silent([](platform::TTcpSocket& s, TLoopbackServer& self) {
        self.ReadRequest(s);
        self.WaitForStop();
    });
    THttpClient client; // the game's default limits
    double t = bench::Now();
    try {
        client.GetToString(silent.Url("/cgi/version.pl?hs"));
    } catch (const EHttpError&) {
    }
    bench::Row("silent server: the call gives up after", bench::Now() - t, "s", "< 6");

    ResetHighScores();
    t = bench::Now();
    for (int i = 0; i < 100; ++i) {
        SaveOptionsAndHighScores();
    }
    bench::Row("save options and table at exit", (bench::Now() - t) * 1000.0 / 100, "ms", "");
    return 0;
}
