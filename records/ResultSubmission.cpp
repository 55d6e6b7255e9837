#include "records/ResultSubmission.h"

#include "platform/Shell.h"
#include "records/Http.h"
#include "records/Options.h"

#include <array>
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

std::string BuildResultRecord(const std::string& name, int32_t score, const std::string& addInfo, char key) {
    std::string record = "type=0";
    record += "|name=" + name;
    record += "|score=" + std::to_string(score);
    record += "|key=";
    record += key;
    record += "|p=";
    record += "|add=" + addInfo;
    record += "|z=";
    while (record.size() % 5 != 0) record += '0';
    return record;
}

std::string ToBitString(const std::string& text) {
    // The eight-character text of every byte value, looked up per character.
    std::array<std::string, 256> table;
    for (unsigned v = 0; v < 256; ++v) {
        std::string bits(8, '0');
        for (int b = 0; b < 8; ++b)
            if (v & (0x80u >> b)) bits[b] = '1';
        table[v] = bits;
    }
    std::string out;
    out.reserve(text.size() * 8);
    for (char c : text) out += table[static_cast<unsigned char>(c)];
    return out;
}

std::string BitsToBase32(const std::string& bits) {
    std::string padded(bits.size() % 5 == 0 ? 0 : 5 - bits.size() % 5, '0');
    padded += bits;
    std::string out;
    out.reserve(padded.size() / 5);
    for (size_t i = 0; i < padded.size(); i += 5) {
        unsigned v = 0;
        for (size_t b = 0; b < 5; ++b) v = (v << 1) | (padded[i + b] != '0' ? 1u : 0u);
        out += kResultSymbols[v];
    }
    return out;
}

std::string ResultSubmissionUrl(const std::string& name, int32_t score) {
    std::string record = BuildResultRecord(name, score, Options.AddInfo, ScoreKeyLetter);
    return "http://" + ScoreServerHost + "/cgi/version.pl?hs&prg=SprayDash&inf=" + BitsToBase32(ToBitString(record));
}

void SubmitResult(const std::string& name, int32_t score) {
    try {
        (void)MHttpClient.GetToString(ResultSubmissionUrl(name, score));
    } catch (const std::exception&) {
        // The player is never bothered with a failed send; the game goes on as after a good one.
    }
}

std::string WorldHighScoreUrl() { return "http://" + ScoreServerHost + "/cgi/version.pl?prg=SprayDash&show&type=0"; }

std::string PublisherSiteUrl() { return "http://" + ScoreServerHost; }

void OpenInBrowser(const std::string& url) { (void)platform::OpenUrl(url); }
