// The score server's side of the result code: back from 32 symbols to the result record, and the
// record's fields.
#pragma once
#include <cstdint>
#include <string>

// One submitted result.
struct TSubmittedResult {
    int Type = 0;
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
