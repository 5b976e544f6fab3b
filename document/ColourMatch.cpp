#include "ColourMatch.h"

#include <cmath>

namespace tintwright {

namespace {

struct Lab {
    double l, a, b;
};

// sRGB to CIELAB under D65.
Lab lab(std::uint32_t rgb) {
    const auto linear = [rgb](int shift) {
        const double v = double((rgb >> shift) & 0xFF) / 255.0;
        return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    const double r = linear(16), g = linear(8), b = linear(0);
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    const auto f = [](double t) {
        constexpr double kEpsilon = 216.0 / 24389.0, kKappa = 24389.0 / 27.0;
        return t > kEpsilon ? std::cbrt(t) : (kKappa * t + 16.0) / 116.0;
    };
    return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

} // namespace

double ColourMatch::distance(std::uint32_t rgb, std::uint32_t other) {
    const Lab p = lab(rgb), q = lab(other);
    return std::hypot(p.l - q.l, p.a - q.a, p.b - q.b);
}

ColourMatch::ColourMatch(const Chart &chart) : m_chart(chart) {
    for (std::size_t i = 0; i < chart.size(); ++i)
        m_groups[i] = Colours(1) << i;
    // Look-alikes of look-alikes look alike: merge until nothing changes.
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t i = 0; i < chart.size(); ++i)
            for (std::size_t j = i + 1; j < chart.size(); ++j)
                if (m_groups[i] != m_groups[j] && distance(chart[i], chart[j]) < kLookAlike) {
                    const Colours both = m_groups[i] | m_groups[j];
                    for (Colours &group : m_groups)
                        if (group & both)
                            group |= both;
                    merged = true;
                }
    }
}

ColourMatch::Nearest ColourMatch::nearest(std::uint32_t rgb) const {
    Nearest best{0, distance(rgb, m_chart[0])};
    for (int i = 1; i < NesColour::kCount; ++i) {
        const double d = distance(rgb, m_chart[std::size_t(i)]);
        // Of twins, the one to use: $0F of the blacks.
        if (d < best.distance ||
            (d == best.distance && NesColour::avoid(best.index) && !NesColour::avoid(i)))
            best = {i, d};
    }
    return best;
}

ColourMatch::Colours ColourMatch::candidates(std::uint32_t rgb) const {
    const double limit = nearest(rgb).distance + kMargin;
    Colours colours = 0;
    for (int i = 0; i < NesColour::kCount; ++i)
        if (distance(rgb, m_chart[std::size_t(i)]) <= limit)
            colours |= lookAlikes(i);
    return colours;
}

} // namespace tintwright
