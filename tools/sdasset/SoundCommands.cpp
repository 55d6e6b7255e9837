// Wave-list commands of the asset tool: pack WAV files named in a manifest into a wave-list
// file, list one, and extract its sounds back to WAV files.
#include "tools/sdasset/SoundCommands.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <set>
#include <sstream>
#include <vector>

#include "engine/DXSounds.h"
#include "engine/Wave.h"

namespace fs = std::filesystem;

namespace {

bool ReadFile(const fs::path& path, std::vector<uint8_t>& out) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return !f.bad();
}

bool WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) return false;
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(f);
}

// Reads a WAV file's format block and samples (RIFF chunks, padded to even lengths).
bool ReadWavFile(const std::vector<uint8_t>& bytes, TWave& wave, std::string& why) {
    TByteReader r(bytes);
    const std::string riff = r.Chars(4);
    r.U32();
    const std::string kind = r.Chars(4);
    if (r.Failed() || riff != "RIFF" || kind != "WAVE") {
        why = "not a RIFF WAVE file";
        return false;
    }
    std::vector<uint8_t> format, data;
    bool haveFormat = false, haveData = false;
    while (r.Remaining() >= 8) {
        const std::string id = r.Chars(4);
        const uint32_t len = r.U32();
        if (len > r.Remaining()) {
            why = "chunk '" + id + "' runs past the end of the file";
            return false;
        }
        if (id == "fmt ") {
            format = r.Bytes(len);
            haveFormat = true;
        } else if (id == "data") {
            data = r.Bytes(len);
            haveData = true;
        } else {
            r.Skip(len);
        }
        if (len % 2 && r.Remaining() > 0) r.Skip(1);
    }
    if (!haveFormat || !haveData) {
        why = haveFormat ? "no 'data' chunk" : "no 'fmt ' chunk";
        return false;
    }
    TWaveFormat f;
    if (!ReadWaveFormat(format, f) || !f.Pcm || (f.BitsPerSample != 8 && f.BitsPerSample != 16) ||
        (f.Channels != 1 && f.Channels != 2) || f.SamplesPerSec < platform::kFrequencyMin ||
        f.SamplesPerSec > platform::kFrequencyMax) {
        why = "only 8- or 16-bit integer PCM, mono or stereo, 100..200000 Hz can be played";
        return false;
    }
    if (data.empty()) {
        why = "no samples";
        return false;
    }
    // Store a plain 16-byte PCM block: every player reads it, whatever extension the file had.
    wave.SetFormatBlock(MakePcmFormat(f.Channels, f.SamplesPerSec, f.BitsPerSample));
    const size_t frameBytes = size_t(f.Channels) * (f.BitsPerSample / 8);
    data.resize(data.size() / frameBytes * frameBytes);
    wave.SetData(data);
    return true;
}

// A WAV file image of a wave (pad byte after odd-length data, as WAV readers expect).
std::vector<uint8_t> WavFileImage(const TWave& wave) {
    TByteWriter w;
    w.Chars("RIFF");
    w.U32(0);
    w.Chars("WAVE");
    w.Chars("fmt ");
    w.U32(uint32_t(wave.FormatBlock().size()));
    w.Bytes(wave.FormatBlock());
    if (wave.FormatBlock().size() % 2) w.U8(0);
    w.Chars("data");
    w.U32(uint32_t(wave.Data().size()));
    w.Bytes(wave.Data());
    if (wave.Data().size() % 2) w.U8(0);
    w.PatchU32(4, uint32_t(w.Size() - 8));
    return w.Data();
}

std::string Describe(const TWave& wave, double& seconds) {
    seconds = 0;
    TWaveFormat f;
    if (wave.FormatBlock().empty()) return "no format";
    if (!ReadWaveFormat(wave.FormatBlock(), f)) return "bad format block";
    std::ostringstream s;
    if (f.Pcm)
        s << "PCM ";
    else
        s << "format " << f.FormatTag << ' ';
    s << f.BitsPerSample << "-bit "
      << (f.Channels == 1   ? "mono"
          : f.Channels == 2 ? "stereo"
                            : "?ch")
      << ' ' << f.SamplesPerSec << " Hz";
    if (f.AvgBytesPerSec) seconds = double(wave.Data().size()) / f.AvgBytesPerSec;
    return s.str();
}

bool LoadList(const std::string& path, TWaveCollection& list, std::ostream& err) {
    try {
        list.LoadListFile(path);
        return true;
    } catch (const EGameError& e) {
        err << "sdasset: " << path << ": " << e.what() << '\n';
        return false;
    }
}

bool ParseInt(const std::string& s, int32_t& out) {
    try {
        size_t used = 0;
        const long v = std::stol(s, &used, 10);
        if (used != s.size() || v < INT32_MIN || v > INT32_MAX) return false;
        out = int32_t(v);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// A sound name becomes a file name: anything but letters, digits, '_' and '-' turns into '_'.
std::string SafeFileName(const std::string& name) {
    std::string s = name.empty() ? std::string("_") : name;
    for (char& c : s) {
        if (!std::isalnum(uint8_t(c)) && c != '_' && c != '-') c = '_';
    }
    return s;
}

} // namespace

int PackWaveList(const std::string& manifestPath, const std::string& outPath, std::ostream& err) {
    std::ifstream in(manifestPath);
    if (!in) {
        err << "sdasset: cannot open manifest " << manifestPath << '\n';
        return 1;
    }
    const fs::path base = fs::path(manifestPath).parent_path();
    TWaveCollection list;
    std::set<std::string> names;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream fields(line);
        std::vector<std::string> f;
        for (std::string w; fields >> w;)
            f.push_back(w);
        if (f.empty() || f[0][0] == '#' || f[0] != "sound") continue;
        const std::string where = manifestPath + ":" + std::to_string(lineNo) + ": ";
        int32_t looped = 0, maxCount = 0;
        if (f.size() != 5 || !ParseInt(f[3], looped) || (looped != 0 && looped != 1) ||
            !ParseInt(f[4], maxCount) || maxCount < 0) {
            err << "sdasset: " << where
                << "expected: sound <Name> <file.wav> <Looped 0|1> <MaxPlayingCount >= 0>\n";
            return 1;
        }
        if (!names.insert(LowerCase(f[1])).second) {
            err << "sdasset: " << where << "sound '" << f[1] << "' is named twice\n";
            return 1;
        }
        std::vector<uint8_t> bytes;
        const fs::path wavPath = base / f[2];
        if (!ReadFile(wavPath, bytes)) {
            err << "sdasset: " << where << "cannot read " << wavPath.string() << '\n';
            return 1;
        }
        TWave wave;
        std::string why;
        if (!ReadWavFile(bytes, wave, why)) {
            err << "sdasset: " << where << wavPath.string() << ": " << why << '\n';
            return 1;
        }
        TWaveCollectionItem& item = list.Add();
        item.SetName(f[1]);
        item.SetLooped(looped == 1);
        item.SetMaxPlayingCount(maxCount);
        item.SetWave(wave);
    }
    if (in.bad()) {
        err << "sdasset: cannot read manifest " << manifestPath << '\n';
        return 1;
    }
    if (!WriteFile(outPath, list.SaveListStream())) {
        err << "sdasset: cannot write " << outPath << '\n';
        return 1;
    }
    return 0;
}

int ListWaveList(const std::string& path, std::ostream& out, std::ostream& err) {
    TWaveCollection list;
    if (!LoadList(path, list, err)) return 1;
    out << path << ": " << list.Count() << " sound" << (list.Count() == 1 ? "" : "s") << '\n';
    for (int i = 0; i < list.Count(); ++i) {
        const TWaveCollectionItem& item = *list.Items(i);
        double seconds = 0;
        const std::string format = Describe(item.Wave(), seconds);
        out << "  " << std::left << std::setw(18) << item.Name() << std::right << ' ' << format << ", "
            << item.Wave().Data().size() << " bytes (" << std::fixed << std::setprecision(3) << seconds
            << " s), looped " << (item.Looped() ? 1 : 0) << ", max playing " << item.MaxPlayingCount()
            << '\n';
    }
    return 0;
}

int ExtractWaveList(const std::string& path, const std::string& outDir, std::ostream& err) {
    TWaveCollection list;
    if (!LoadList(path, list, err)) return 1;
    std::error_code ec;
    fs::create_directories(outDir, ec);
    for (int i = 0; i < list.Count(); ++i) {
        const TWaveCollectionItem& item = *list.Items(i);
        const fs::path file = fs::path(outDir) / (SafeFileName(item.Name()) + ".wav");
        if (item.Wave().FormatBlock().empty()) {
            err << "sdasset: " << item.Name() << ": no format block, skipped\n";
            continue;
        }
        if (!WriteFile(file, WavFileImage(item.Wave()))) {
            err << "sdasset: cannot write " << file.string() << '\n';
            return 1;
        }
    }
    return 0;
}
