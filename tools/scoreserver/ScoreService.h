// What the score server answers to one request target: results coming in, the world page going out.
#pragma once
#include "ScoreStore.h"

#include <string>

// Status, content type and body of one answer.
struct TServiceAnswer {
    int Status = 200;
    std::string Reason = "OK";
    std::string ContentType = "text/html; charset=ISO-8859-1";
    std::string Body;
};

// Answers a GET of target ("/cgi/version.pl?hs&prg=SprayDash&inf=CODE" stores a result,
// "/cgi/version.pl?prg=SprayDash&show&type=0" shows the world table, "/" a welcome page).
// Results whose key letter is not expectedKey are refused.
TServiceAnswer AnswerRequest(const std::string& target, TScoreStore& store, char expectedKey);

// Escapes text for HTML; bytes of 128 and above are taken as Latin-1 characters.
std::string HtmlEscape(const std::string& text);
