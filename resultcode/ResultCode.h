// The result record the game sends to the score service, and its 32-symbol code, in both directions.
#pragma once
#include <cstdint>
#include <string>

// The 32 symbols of the result code, value 0 first: letters without I, O and Z, then 1 to 9.
inline constexpr const char* kResultSymbols = "ABCDEFGHJKLMNPQRSTUVWXY123456789";

// The result record "type=0|name=..|score=..|key=..|p=|add=..|z=" padded with "0" to a multiple
// of 5 characters; name and addInfo go in unescaped.
std::string BuildResultRecord(const std::string& name, int32_t score, const std::string& addInfo, char key);
// Every character as its eight bits, most significant first, as "0"/"1" text.
std::string ToBitString(const std::string& text);
// Groups of five bits (zero-padded in front to a multiple of 5) as symbols of kResultSymbols;
// any character other than "0" counts as a 1 bit.
std::string BitsToBase32(const std::string& bits);

// One result as the record carries it.
struct TSubmittedResult {
    int32_t Type = 0;
    std::string Name;
    int32_t Score = 0;
    char Key = 0;
    std::string AddInfo;
};

// Turns a code of the 32-symbol alphabet back into the record bytes; false on a foreign symbol or
// non-zero padding bits in front.
bool DecodeResultCode(const std::string& code, std::string& record);

// Splits "type=T|name=N|score=S|key=K|p=|add=A|z=000" into its fields. Name and add are sent
// unescaped, so the name ends at the first "|score=" that is followed by a well-formed rest; with
// names of at most 10 characters, as the game enters them, that is the only possible split.
// False with a reason when the record does not have that shape.
bool ParseResultRecord(const std::string& record, TSubmittedResult& result, std::string& error);
