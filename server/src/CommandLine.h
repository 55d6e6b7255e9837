// The service's command line: every option with its default, and the --help text.
#pragma once
#include "HttpServer.h"
#include "ScoreService.h"
#include "ScoreStore.h"

#include <string>
#include <vector>

struct TServerOptions {
    std::string Db = "scores.db";
    std::string PortFile;
    std::string AssetDir; // empty: beside the program, else the installed folder
    THttpSettings Http;
    TServiceSettings Service;
    TStoreSettings Store;
    bool Help = false;
    // "admin" and its words, when the command line starts with it.
    bool Admin = false;
    std::vector<std::string> AdminWords;
};

// Parses argv; false with a reason in error.
bool ParseCommandLine(int argc, char** argv, TServerOptions& options, std::string& error);
// The text of --help.
std::string UsageText();
