// Sending a result to the score server (record, bit string, 32-symbol code) and opening web pages.
#pragma once
#include "resultcode/ResultCode.h"

#include <cstdint>
#include <string>

class THttpClient;

// Score server host ("host" or "host:port"), set from the build settings; tests point it elsewhere.
extern std::string ScoreServerHost;
// The key letter the score server expects in every record (a build setting).
extern char ScoreKeyLetter;
// The HTTP client the game keeps for the whole run (cookies and an open connection live in it).
extern THttpClient MHttpClient;

// The URL that submits the result of name and score (with Options.AddInfo and the key letter).
std::string ResultSubmissionUrl(const std::string& name, int32_t score);
// Sends the result of name and score with one blocking GET through MHttpClient; the answer and
// every error are dropped. Called with PlayerName and Score on Yes of the send-result question.
void SubmitResult(const std::string& name, int32_t score);
// The world high-score page and the publisher's site on the score server.
std::string WorldHighScoreUrl();
std::string PublisherSiteUrl();
// Asks the desktop to show url in the user's browser, without waiting; a failure is ignored.
void OpenInBrowser(const std::string& url);
