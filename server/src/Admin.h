// The operator's moderation commands: list the newest rows, hide, show again, delete.
#pragma once
#include "ScoreStore.h"

#include <cstdio>
#include <string>
#include <vector>

// Runs one admin command ("list [N]", "hide ID", "show ID", "delete ID") on store, printing to out.
// Returns the program's exit status: 0 done, 1 no such row, 2 a bad command.
int RunAdminCommand(TScoreStore& store, const std::vector<std::string>& words, FILE* out, FILE* err);
