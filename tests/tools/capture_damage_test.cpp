// The probe's account of a damaged tone: what kind of loss it was, where and
// how large, so that a failing sound test says whether frames went missing
// mid-tone (a server's graph dropping periods) or silence was put in (a stream
// that ran dry) or the tone was cut or changed.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "capture.h"

namespace {

using orvik::probe::Damage;
using orvik::probe::DescribeDamage;
using orvik::probe::Frame;

// A periodic tone (2205 frames a period) that ends on an audible frame, so
// only the true reading of a shift also fits the silence after the tone.
std::vector<Frame> Tone(std::size_t n) {
    std::vector<Frame> t(n);
    for (std::size_t i = 0; i < n; ++i) {
        const auto v = static_cast<int16_t>(
            std::lround(10000.0 * std::sin(2 * std::numbers::pi * 440.0 * static_cast<double>(i) / 44100.0)));
        t[i] = {v, v};
    }
    t.back() = {123, 123};
    return t;
}

struct Case {
    const char* name;
    // Builds the capture from the tone; the tone starts at frame 100 of it.
    std::vector<Frame> (*damage)(std::vector<Frame>);
    Damage::Kind kind;
    std::size_t at, frames;
    bool silent;
};

std::vector<Frame> Intact(std::vector<Frame> t) { return t; }
std::vector<Frame> Dropped256(std::vector<Frame> t) {
    t.erase(t.begin() + 5000, t.begin() + 5256);
    return t;
}
std::vector<Frame> SilenceIn(std::vector<Frame> t) {
    t.insert(t.begin() + 7000, 300, Frame{0, 0});
    return t;
}
std::vector<Frame> TailCut(std::vector<Frame> t) {
    t.resize(t.size() - 1000);
    return t;
}
std::vector<Frame> SampleChanged(std::vector<Frame> t) {
    t[9000].l = static_cast<int16_t>(t[9000].l + 1);
    return t;
}
std::vector<Frame> TwoDrops(std::vector<Frame> t) {
    t.erase(t.begin() + 9000, t.begin() + 9256);
    t.erase(t.begin() + 3000, t.begin() + 3256);
    return t;
}

const Case Cases[] = {
    {"intact", Intact, Damage::None, 0, 0, false},
    {"period dropped mid-tone", Dropped256, Damage::Dropped, 5000, 256, false},
    {"silence put in", SilenceIn, Damage::Inserted, 7000, 300, true},
    {"tail cut off", TailCut, Damage::Unexplained, 43100, 0, false},
    {"one sample changed", SampleChanged, Damage::Unexplained, 9000, 0, false},
    {"two drops", TwoDrops, Damage::Unexplained, 3000, 0, false},
};

TEST(CaptureDamage, NamesWhatHappenedToTheTone) {
    const std::vector<Frame> tone = Tone(44100);
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.name);
        std::vector<Frame> capture(100, Frame{0, 0});
        const std::vector<Frame> damaged = c.damage(tone);
        capture.insert(capture.end(), damaged.begin(), damaged.end());
        capture.resize(capture.size() + 5000, Frame{0, 0});
        const Damage d = DescribeDamage(capture, 100, tone, 16384);
        EXPECT_EQ(d.kind, c.kind);
        EXPECT_EQ(d.at, c.at);
        EXPECT_EQ(d.frames, c.frames);
        EXPECT_EQ(d.silent, c.silent);
    }
}

}  // namespace
