#pragma once

namespace korvane {

// How near its end a motion towards 1 must stay for the eye to see it there:
// progress at most `below` under 1 and `above` over it. The default is the
// thousandth a motion's duration() settles to.
struct Arrival {
    double below = 0.001;
    double above = 0.001;

    // An item moving `pixels` device pixels: half a pixel either side, and
    // for one that fades in with its progress, one step of 8-bit opacity
    // under 1 (over 1 its opacity stays whole).
    static Arrival slide(double pixels, bool fades);
};

// One animation curve: a damped spring given by its response (seconds) and
// damping fraction, or an ease-in-out or ease-out of a fixed duration.
struct Motion {
    enum class Kind { spring, easeInOut, easeOut };

    Kind kind = Kind::spring;
    double response = 0;         // the spring's response, or the eased curve's duration
    double dampingFraction = 1;  // springs only, between 0 and 1 (exclusive)

    // Seconds until the spring stays within 1/1000 of its target, or the duration.
    double duration() const;
    // Progress from 0 to 1 after `seconds`; a spring may overshoot 1 on its way.
    double progress(double seconds) const;
    // Seconds from which progress stays within `arrival` of 1 (at most
    // duration()): from then on drawing the end looks the same.
    double arrivalTime(const Arrival& arrival) const;
};

// The under-damped spring x(t) = 1 − e^(−ζω₀t)(cos ω_d t + ζω₀/ω_d · sin ω_d t)
// with ω₀ = 2π / response and ω_d = ω₀√(1 − ζ²); 0 at t ≤ 0.
double springProgress(double seconds, double response, double dampingFraction);
// ln(1000) / (ζω₀): the envelope has fallen to 1/1000 by then.
double springSettleTime(double response, double dampingFraction);

// The shared animations.
namespace AppMotion {
inline constexpr Motion snappy{Motion::Kind::spring, 0.28, 0.86};
inline constexpr Motion smooth{Motion::Kind::spring, 0.42, 0.82};
inline constexpr Motion gentle{Motion::Kind::spring, 0.55, 0.88};
inline constexpr Motion fade{Motion::Kind::easeInOut, 0.22, 1};

inline constexpr Motion spring(double response, double dampingFraction) {
    return {Motion::Kind::spring, response, dampingFraction};
}
inline constexpr Motion easeInOut(double seconds) { return {Motion::Kind::easeInOut, seconds, 1}; }
inline constexpr Motion easeOut(double seconds) { return {Motion::Kind::easeOut, seconds, 1}; }

// Gauges (rings, memory segments, sidebar bars) moving to a new reading.
inline constexpr Motion reading = easeOut(0.6);
// The scanning screen's found-so-far headline and its rows coming in.
inline constexpr Motion scanningHeadline = spring(0.5, 0.85);
inline constexpr Motion scanningRows = easeOut(0.25);
// The cleanup screen's reclaimed-so-far headline.
inline constexpr Motion cleanupHeadline = spring(0.4, 0.85);
// The inspector column shown or hidden with the top bar's toggle (crossing
// the width where it fits slides it on the gentle spring instead).
inline constexpr Motion inspectorToggle = easeInOut(0.18);

// When set, every animation lands on its end value at once (tests, screenshots).
void setJumpToEnd(bool jump);
bool jumpsToEnd();
}  // namespace AppMotion

}  // namespace korvane
