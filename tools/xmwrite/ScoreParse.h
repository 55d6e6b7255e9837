// Reader of the compact text score the XM writer turns into a module.
#pragma once
#include <string>

#include "tools/xmwrite/Score.h"

namespace xmwrite {

// Reads a score; throws sdsynth::SynthError with "name:line: reason" on any mistake, including a channel
// line whose notes do not fill its pattern exactly and an order entry naming no pattern.
//
// The text, one keyword per line ('#' starts a comment):
//   title TEXT... | channels N | speed TICKS | bpm N
//   instrument NAME ... end     block of sound lines (layer, env, ...) plus: base NOTE, pitched 0|1,
//                               sampleloop START LENGTH, volume 0..64, panning 0..255,
//                               volenv TICK:LEVEL..., volsustain INDEX, fadeout N,
//                               autovibrato TYPE SWEEP DEPTH RATE
//   pattern NAME [ROWS] [like OTHER]   starts a pattern (a copy of OTHER when given)
//   CHANNEL INSTRUMENT TOKEN...        notes of one channel of the current pattern (1-based channel):
//       c#4:4@40   note, rows it lasts (kept for the next notes when omitted), optional volume
//       r:2        key off, then rests;  -:2  rows with nothing new (the note rings on)
//       =x..o..g.  one row per character: x hit, o softer hit, g ghost hit, . nothing
//       [ ... ]x4  the tokens inside, four times
//   order NAME...                      appends patterns to the order list
Score ParseScore(const std::string& text, const std::string& name);

// Reads a score file from disk.
Score LoadScoreFile(const std::string& path);

} // namespace xmwrite
