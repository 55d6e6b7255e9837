// XM file layout: module header, patterns, instruments with their sample headers and data.
#include "tools/xmwrite/XmWrite.h"

#include <fstream>

#include "tools/sdsynth/SynthParse.h"
#include "tools/xmwrite/XmSample.h"

namespace xmwrite {

namespace {

// Little-endian byte sink.
struct Bytes {
    std::vector<uint8_t> data;
    void U8(int v) { data.push_back(static_cast<uint8_t>(v)); }
    void U16(int v) {
        U8(v & 0xFF);
        U8((v >> 8) & 0xFF);
    }
    void U32(uint32_t v) {
        U16(static_cast<int>(v & 0xFFFF));
        U16(static_cast<int>(v >> 16));
    }
    // Text cut or padded with zero bytes to exactly n bytes.
    void Text(const std::string& s, size_t n) {
        for (size_t i = 0; i < n; ++i)
            U8(i < s.size() ? static_cast<uint8_t>(s[i]) : 0);
    }
    void Zeros(size_t n) { data.insert(data.end(), n, 0); }
};

void WritePattern(Bytes& out, const Pattern& p) {
    Bytes packed;
    for (const Cell& c : p.cells) {
        const int mask = (c.note ? 1 : 0) | (c.instrument ? 2 : 0) | (c.volume ? 4 : 0) | (c.effect ? 8 : 0) |
                         (c.param ? 16 : 0);
        packed.U8(0x80 | mask);
        if (c.note) packed.U8(c.note);
        if (c.instrument) packed.U8(c.instrument);
        if (c.volume) packed.U8(c.volume);
        if (c.effect) packed.U8(c.effect);
        if (c.param) packed.U8(c.param);
    }
    if (packed.data.size() > 0xFFFF)
        throw sdsynth::SynthError("pattern '" + p.name + "' is too large to pack");
    out.U32(9); // pattern header length
    out.U8(0);  // packing type
    out.U16(p.rows);
    out.U16(static_cast<int>(packed.data.size()));
    out.data.insert(out.data.end(), packed.data.begin(), packed.data.end());
}

void WriteInstrument(Bytes& out, const Instrument& ins) {
    const SampleData s = RenderInstrument(ins);
    out.U32(263); // instrument header size, with the sample-header part
    out.Text(ins.name, 22);
    out.U8(0);
    out.U16(1);    // one sample
    out.U32(40);   // sample header size
    out.Zeros(96); // every note plays sample 0
    for (size_t i = 0; i < 12; ++i) {
        out.U16(i < ins.envelope.size() ? ins.envelope[i].first : 0);
        out.U16(i < ins.envelope.size() ? ins.envelope[i].second : 0);
    }
    out.Zeros(48); // no panning envelope
    out.U8(static_cast<int>(ins.envelope.size()));
    out.U8(0);
    out.U8(ins.envelopeSustain >= 0 ? ins.envelopeSustain : 0);
    out.U8(0); // volume loop start, end
    out.U8(0);
    out.U8(0); // panning sustain, loop start, end
    out.U8(0);
    out.U8(0);
    out.U8((ins.envelope.empty() ? 0 : 1) | (ins.envelopeSustain >= 0 && !ins.envelope.empty() ? 2 : 0));
    out.U8(0);
    out.U8(ins.vibratoType);
    out.U8(ins.vibratoSweep);
    out.U8(ins.vibratoDepth);
    out.U8(ins.vibratoRate);
    out.U16(ins.fadeout);
    out.Zeros(22); // reserved
    // Sample header: sizes and loop in bytes (16-bit samples).
    out.U32(static_cast<uint32_t>(s.pcm.size() * 2));
    out.U32(s.loopStart * 2);
    out.U32(s.loopLength * 2);
    out.U8(ins.volume);
    out.U8(static_cast<uint8_t>(static_cast<int8_t>(s.finetune)));
    out.U8((s.loopLength > 0 ? 1 : 0) | 0x10); // forward loop, 16-bit
    out.U8(ins.panning);
    out.U8(static_cast<uint8_t>(static_cast<int8_t>(s.relativeNote)));
    out.U8(0);
    out.Text(ins.name, 22);
    int16_t previous = 0;
    for (int16_t v : s.pcm) {
        out.U16(static_cast<uint16_t>(v - previous));
        previous = v;
    }
}

} // namespace

std::vector<uint8_t> BuildXm(const Score& score) {
    Bytes out;
    out.Text("Extended Module: ", 17);
    out.Text(score.title, 20);
    out.U8(0x1A);
    out.Text("sdxmwrite", 20);
    out.U16(0x0104);
    out.U32(276); // header size from this field on
    out.U16(static_cast<int>(score.order.size()));
    out.U16(0); // restart position: the song wraps to its first order
    out.U16(score.channels);
    out.U16(static_cast<int>(score.patterns.size()));
    out.U16(static_cast<int>(score.instruments.size()));
    out.U16(1); // linear frequency table
    out.U16(score.speed);
    out.U16(score.bpm);
    for (size_t i = 0; i < 256; ++i)
        out.U8(i < score.order.size() ? score.order[i] : 0);
    for (const Pattern& p : score.patterns)
        WritePattern(out, p);
    for (const Instrument& ins : score.instruments)
        WriteInstrument(out, ins);
    return out.data;
}

void WriteXmFile(const std::string& path, const Score& score) {
    const auto bytes = BuildXm(score);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw sdsynth::SynthError(path + ": cannot write the file");
}

} // namespace xmwrite
