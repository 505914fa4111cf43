#pragma once

#include <QtGlobal>

#include <random>

// The feed's one source of chance. The engine's sequence is fixed by the C++ standard
// and every distribution below is plain arithmetic on its output, so a seed gives the
// same numbers with any compiler and library (the standard distributions do not).
class TFeedRandom
{
public:
    explicit TFeedRandom(quint64 seed) : engine_(seed) {}

    quint64 Bits() { return engine_(); }

    // Uniform in [0, 1), from the top 53 bits.
    double Unit() { return double(engine_() >> 11) * (1.0 / 9007199254740992.0); }

    double Between(double low, double high) { return low + (high - low) * Unit(); }

    // Uniform integer in [0, count); count must be positive.
    int Below(int count) { return int(Unit() * count); }

    bool Chance(double probability) { return Unit() < probability; }

    // Close to a standard normal deviate: the sum of twelve uniforms has mean 6 and
    // variance 1, and needs no transcendental function whose last bit could differ.
    double Gaussian()
    {
        double sum = 0;
        for (int i = 0; i < 12; ++i)
            sum += Unit();
        return sum - 6.0;
    }

private:
    std::mt19937_64 engine_;
};
