#include "BpsMatcher.h"
#include "BpsFormat.h"

#include "document/WindowIndex.h"

#include <algorithm>
#include <deque>
#include <optional>

namespace tintwright {

namespace {

using Action = BpsFormat::Action;
using enum BpsFormat::Action;

constexpr std::size_t kWindow = WindowIndex::kWindow;
constexpr std::size_t kStride = WindowIndex::kStride;
// A match this long is taken at once, without looking for a better one a byte further on.
constexpr std::size_t kGood = 64; // no-mutate: patch size and speed only
// How many windows with the same hash are tried, newest first; more for the few that end a run.
constexpr std::size_t kDepth = 16;     // no-mutate: patch size and speed only
constexpr std::size_t kRunDepth = 256; // no-mutate: patch size and speed only
// The tables are made once this many bytes in a row have found nothing long (or a run begins):
// a file changed in place, a few bytes at a time, never needs them.
constexpr std::size_t kPatience = 8; // no-mutate: patch size and speed only
// How far ahead the slots of new content are fetched.
constexpr std::size_t kAhead = 8; // no-mutate: speed only
// How many decided matches a later, longer one may take the place of, and how far back it may go.
constexpr std::size_t kHeld = 64;                    // no-mutate: patch size and speed only
constexpr std::size_t kReach = std::size_t(1) << 20; // no-mutate: patch size and speed only

struct Match {
    Action kind = TargetRead;       // TargetRead: nothing better than the bytes themselves
    std::size_t start = 0, end = 0; // what it makes of the target
    std::size_t from = 0;           // where a copy starts in the file it copies from
    std::int64_t gain = 0;          // patch bytes saved over writing the target bytes out
};

// Where the copies have got to, which the next copy's offset counts from; and how far the last
// copy from the source lay from its place in the target.
struct State {
    std::int64_t sourceAt = 0, targetAt = 0, shift = 0;

    State after(const Match &match) const {
        State next = *this;
        const auto end = std::int64_t(match.from + (match.end - match.start));
        if (match.kind == SourceCopy) {
            next.sourceAt = end;
            next.shift = std::int64_t(match.start) - std::int64_t(match.from);
        } else if (match.kind == TargetCopy) {
            next.targetAt = end;
        }
        return next;
    }
    std::size_t cost(const Match &match) const {
        const std::size_t action =
            BpsFormat::numberSize(BpsFormat::action(match.kind, match.end - match.start));
        if (match.kind == SourceCopy)
            return action + offsetSize(std::int64_t(match.from) - sourceAt);
        if (match.kind == TargetCopy)
            return action + offsetSize(std::int64_t(match.from) - targetAt);
        return action;
    }
    static std::size_t offsetSize(std::int64_t delta) {
        return BpsFormat::numberSize(BpsFormat::offset(delta));
    }
};

// A match decided but not yet written: a longer one found later may take its place.
struct Held {
    Match match;
    State before;
    std::size_t cost;
};

// What the plan since a target position costs, if a match found later started there instead.
struct Replan {
    std::int64_t saved = 0; // patch bytes of the matches and bytes it would take the place of
    std::size_t keep = 0;   // held matches left, the last perhaps cut short at the position
    bool cut = false;
    State state; // where the copies would have got to at the position
};

class Encoder {
public:
    Encoder(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
            BpsMatcher::Bytes &out)
        : m_source(source), m_target(target), m_out(out),
          m_hashed(std::max(source.size(), target.size()) < WindowIndex::kLargest),
          m_resized(std::int64_t(target.size()) - std::int64_t(source.size())) {}

    void run() {
        const std::size_t size = m_target.size();
        if (size == 0)
            return;
        Match current = best(0);
        for (std::size_t p = 0; p < size;) {
            const bool later = current.kind == TargetRead;
            if (!later && (current.kind != SourceRead || current.end - p < kGood) && p + 1 < size) {
                // A match may hide a better one that starts a byte further on.
                const Match next = best(p + 1);
                if (next.gain > current.gain) {
                    literal(p++);
                    current = next;
                    continue;
                }
            }
            if (later) {
                literal(p++);
                p = skipNew(p);
            } else {
                hold(current);
                p = current.end;
            }
            if (p < size)
                current = best(p);
        }
        while (!m_held.empty())
            writeOldest();
        flush(size);
    }

private:
    // The best way to go on from target position p: it may take the place of bytes not yet
    // written, and of the last matches decided.
    // A match from `from` of `length` bytes, taking the place of what lies from `start` on,
    // kept in `found` when it gains more.
    void weigh(Match &found, std::size_t p, Action kind, std::size_t start, std::size_t from,
               std::size_t length) {
        Match match{kind, start, p + length, from, 0};
        std::int64_t saved = std::int64_t(p - start);
        State state = m_state;
        if (start > m_literal) {
            // The bytes waiting to be written need a second run of them after the match.
            --saved;
        } else if (start < m_literal) {
            const Replan replan = this->replan(start);
            saved = std::int64_t(p - m_literal) + replan.saved;
            state = replan.state;
        }
        match.gain = std::int64_t(length) + saved - std::int64_t(state.cost(match));
        if (match.gain > found.gain)
            found = match;
    }

    Match best(std::size_t p) {
        Match found;
        const std::size_t left = m_target.size() - p;
        const std::uint8_t *here = m_target.data() + p;
        const auto consider = [&](Action kind, std::size_t start, std::size_t from,
                                  std::size_t length) {
            weigh(found, p, kind, start, from, length);
        };
        // Most bytes written as they are fail these at their first byte.
        const std::size_t sourceSize = m_source.size();
        const auto fromSource = [&](Action kind, std::size_t at) {
            if (m_source[at] == here[0])
                consider(kind, p, at,
                         WindowIndex::common(m_source.data() + at, here,
                                             std::min(sourceSize - at, left)));
        };
        if (p < sourceSize)
            fromSource(SourceRead, p);
        // Where the last copy from the source would go on, and where content lies that
        // moved by as much as the file grew or shrank.
        for (const std::int64_t shift : {m_state.shift, m_resized}) {
            const std::int64_t aligned = std::int64_t(p) - shift;
            if (shift != 0 && aligned >= 0 && std::size_t(aligned) < sourceSize)
                fromSource(SourceCopy, std::size_t(aligned));
            if (m_resized == m_state.shift)
                break;
        }
        if (p > 0 && here[-1] == here[0])
            consider(TargetCopy, p, p - 1, WindowIndex::common(here - 1, here, left));
        // In a run, only the windows that reach past its end tell where it lies.
        const std::size_t run = 1 + WindowIndex::common(here, here + 1, left - 1);
        // (Unless the source has the run where the last read or copy of it would go on.)
        const bool inRun = run >= kWindow && (found.kind == TargetRead ||
                                              found.kind == TargetCopy || found.end < p + run);
        if ((!inRun && ((found.kind != TargetRead && found.end - p >= kGood) ||
                        (!m_targets && p < m_literal + kPatience))) ||
            run == left || left < kWindow || !m_hashed)
            return found;
        searchIndexes(found, p, run, inRun);
        return found;
    }

    // The indexes' longest matches at p, made the first time they are needed.
    void searchIndexes(Match &found, std::size_t p, std::size_t run, bool inRun) {
        const std::size_t left = m_target.size() - p, sourceSize = m_source.size();
        const std::uint8_t *here = m_target.data() + p;
        const auto consider = [&](Action kind, std::size_t start, std::size_t from,
                                  std::size_t length) {
            weigh(found, p, kind, start, from, length);
        };
        if (!m_sources && sourceSize >= kWindow) {
            m_sources.emplace(sourceSize);
            m_sources->addAll(m_source);
        }
        if (!m_targets) {
            m_targets.emplace(m_target.size(), WindowIndex::Layout::Sparse);
            for (std::size_t at = m_literal; at < p; ++at)
                literal(at);
        }
        // Only every fourth window is indexed: once there is a match to beat, the windows a
        // byte or three on find the places that the first window cannot.
        const std::size_t first = inRun ? run - (kWindow - 1) : 0;
        const std::size_t depth = inRun ? kRunDepth : kDepth;
        for (std::size_t phase = first; phase < (inRun ? run : kStride) && phase + kWindow <= left;
             ++phase) {
            if (!inRun && phase > 0 && found.kind == TargetRead)
                break;
            if (m_sources) {
                const auto [at, length] = m_sources->longest(
                    m_source, here, phase, depth, sourceSize,
                    [&](std::size_t at) { return std::min(sourceSize - at, left); });
                elsewhere(SourceCopy, m_source, p, at, length, consider);
            }
            const auto [at, length] = m_targets->longest(m_target, here, phase, depth, p,
                                                         [&](std::size_t) { return left; });
            elsewhere(TargetCopy, m_target, p, at, length, consider);
        }
    }

    // From p on, the bytes that no match can start at, each to be written as it is; returns
    // where one may. Most new content is passed over here, a lookup or two a byte.
    std::size_t skipNew(std::size_t p) {
        const std::size_t size = m_target.size();
        const auto source = [&](std::int64_t at, std::uint8_t byte) {
            return at >= 0 && std::size_t(at) < m_source.size() &&
                   m_source[std::size_t(at)] == byte;
        };
        for (; p < size; literal(p++)) {
            const std::uint8_t *here = m_target.data() + p;
            const auto at = std::int64_t(p);
            if (source(at, here[0]) || source(at - m_state.shift, here[0]) ||
                source(at - m_resized, here[0]) || (p > 0 && here[-1] == here[0]) ||
                (p + 1 < size && here[1] == here[0]))
                return p;
            if (!m_targets) {
                if (p >= m_literal + kPatience)
                    return p;
                continue;
            }
            if (size - p < kWindow + kAhead)
                return p;
            // The slots of the bytes ahead are fetched while these are looked up.
            const std::uint64_t ahead = WindowIndex::hashOf(here + kAhead);
            if (m_sources)
                m_sources->prefetch(ahead);
            m_targets->prefetch(ahead);
            const std::uint64_t hash = WindowIndex::hashOf(here);
            if ((m_sources && m_sources->holds(m_source, here, hash)) ||
                m_targets->holds(m_target, here, hash))
                return p;
        }
        return p;
    }

    // A match found through an index: as far as it goes, and back over what is not yet written.
    template <typename Consider>
    void elsewhere(Action kind, std::span<const std::uint8_t> file, std::size_t p, std::size_t from,
                   std::size_t length, Consider &consider) {
        if (length == 0)
            return;
        const std::size_t back = WindowIndex::commonBefore(file.data() + from, m_target.data() + p,
                                                           std::min({from, p - m_written, kReach}));
        consider(kind, p - back, from - back, length);
    }

    Replan replan(std::size_t start) const {
        Replan replan;
        replan.keep = m_held.size();
        replan.state = m_state;
        std::size_t gapEnd = m_literal; // the bytes written as they are after a held match
        for (std::size_t i = m_held.size(); i-- > 0;) {
            const Held &held = m_held[i];
            const Match &match = held.match;
            if (start >= match.end) {
                replan.saved +=
                    std::int64_t(gapEnd - start) + (start == match.end && gapEnd > start);
                return replan;
            }
            replan.saved += std::int64_t(gapEnd - match.end) + (gapEnd > match.end);
            if (start > match.start) {
                Match cut = match;
                cut.end = start;
                replan.saved += std::int64_t(held.cost) - std::int64_t(held.before.cost(cut));
                replan.cut = true;
                replan.state = held.before.after(cut);
                return replan;
            }
            replan.saved += std::int64_t(held.cost);
            gapEnd = match.start;
            replan.keep = i;
            replan.state = held.before;
        }
        replan.saved += std::int64_t(gapEnd - start) + (start == m_written && gapEnd > start);
        return replan;
    }

    // Target position p will be written as it is: later repeats of it may copy it.
    void literal(std::size_t p) {
        if (p % kStride == 0 && p + kWindow <= m_target.size() && m_targets)
            m_targets->add(m_target.data() + p, p);
    }

    void hold(const Match &match) {
        if (match.start < m_literal) {
            const Replan replan = this->replan(match.start);
            m_held.resize(replan.keep);
            if (replan.cut) {
                Held &held = m_held.back();
                held.match.end = match.start;
                held.cost = held.before.cost(held.match);
            }
            m_state = replan.state;
        }
        m_held.push_back({match, m_state, m_state.cost(match)});
        m_state = m_state.after(match);
        m_literal = match.end;
        if (m_held.size() > kHeld) // no-mutate: patch size and speed only
            writeOldest();
    }

    void flush(std::size_t end) {
        if (end <= m_written)
            return;
        BpsFormat::putNumber(m_out, BpsFormat::action(TargetRead, end - m_written));
        m_out.insert(m_out.end(), m_target.begin() + std::ptrdiff_t(m_written),
                     m_target.begin() + std::ptrdiff_t(end));
        m_written = end;
    }

    void writeOldest() {
        const Held &held = m_held.front();
        const Match &match = held.match;
        flush(match.start);
        BpsFormat::putNumber(m_out, BpsFormat::action(match.kind, match.end - match.start));
        std::int64_t delta = 0;
        if (match.kind == SourceCopy)
            delta = std::int64_t(match.from) - held.before.sourceAt;
        else if (match.kind == TargetCopy)
            delta = std::int64_t(match.from) - held.before.targetAt;
        if (match.kind == SourceCopy || match.kind == TargetCopy)
            BpsFormat::putNumber(m_out, BpsFormat::offset(delta));
        m_written = match.end;
        m_held.pop_front();
    }

    std::span<const std::uint8_t> m_source, m_target;
    BpsMatcher::Bytes &m_out;
    const bool m_hashed;
    const std::int64_t m_resized; // how much longer the target is than the source
    std::size_t m_written = 0;    // the first target byte not yet written
    std::size_t m_literal = 0;    // the first target byte no held match makes
    std::deque<Held> m_held;
    State m_state; // after the last held match
    // Built when first wanted: a file changed only in place never needs them.
    std::optional<WindowIndex> m_sources, m_targets;
};

} // namespace

void BpsMatcher::encode(std::span<const std::uint8_t> source, std::span<const std::uint8_t> target,
                        Bytes &out) {
    Encoder(source, target, out).run();
}

} // namespace tintwright
