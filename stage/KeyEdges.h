// The key edges every screen reads: pause, Esc, Yes and No went down this frame.
#pragma once

class TDXInput;

// Clears every key edge and every was-down flag.
void ResetInputEdges();
// Derives the key edges (went down this frame) from the input states.
void UpdateInputEdges(const TDXInput& input);
