#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace tintwright {

// The applied picks of one ROM image, in order, for undo and redo: each the index it wrote, the
// byte before and the byte after.
class PickHistory {
public:
    struct Step {
        std::int64_t index;
        std::uint8_t before;
        std::uint8_t after;
        bool operator==(const Step &) const = default;
    };

    // A new step drops the ones that an undo made available to redo.
    void record(const Step &step);
    // The step to take back or to apply again, if any, and the history moved past it.
    std::optional<Step> undo();
    std::optional<Step> redo();
    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < m_steps.size(); }
    void clear();

private:
    std::vector<Step> m_steps;
    std::size_t m_done = 0; // steps 0 to m_done - 1 are applied
};

} // namespace tintwright
