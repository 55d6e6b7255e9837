// Fuzzes the result code as the score service meets it: any bytes as a code and as a record must
// decode or be refused without a crash, and any record encodes and decodes back to itself.
#include "resultcode/ResultCode.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::string record, error;
    TSubmittedResult result;
    if (DecodeResultCode(bytes, record)) (void)ParseResultRecord(record, result, error);
    (void)ParseResultRecord(bytes, result, error);
    // Whatever bytes the game encodes come back unchanged.
    std::string back;
    if (!DecodeResultCode(BitsToBase32(ToBitString(bytes)), back) || back != bytes) __builtin_trap();
    return 0;
}
