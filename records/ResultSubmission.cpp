#include "records/ResultSubmission.h"

#include "platform/Shell.h"
#include "records/Http.h"
#include "records/Options.h"

#include <exception>

#ifndef SPRAYDASH_SCORE_SERVER_HOST
#define SPRAYDASH_SCORE_SERVER_HOST "127.0.0.1:8077"
#endif
#ifndef SPRAYDASH_SCORE_KEY
#define SPRAYDASH_SCORE_KEY 'S'
#endif

std::string ScoreServerHost = SPRAYDASH_SCORE_SERVER_HOST;
char ScoreKeyLetter = SPRAYDASH_SCORE_KEY;
THttpClient MHttpClient;

std::string ResultSubmissionUrl(const std::string& name, int32_t score) {
    std::string record = BuildResultRecord(name, score, Options.AddInfo, ScoreKeyLetter);
    return "http://" + ScoreServerHost +
           "/cgi/version.pl?hs&prg=SprayDash&inf=" + BitsToBase32(ToBitString(record));
}

void SubmitResult(const std::string& name, int32_t score) {
    try {
        (void)MHttpClient.GetToString(ResultSubmissionUrl(name, score));
    } catch (const std::exception&) {
        // The player is never bothered with a failed send; the game goes on as after a good one.
    }
}

std::string WorldHighScoreUrl() {
    return "http://" + ScoreServerHost + "/cgi/version.pl?prg=SprayDash&show&type=0";
}

std::string PublisherSiteUrl() {
    return "http://" + ScoreServerHost;
}

void OpenInBrowser(const std::string& url) {
    (void)platform::OpenUrl(url);
}
