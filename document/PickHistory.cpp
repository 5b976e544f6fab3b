#include "PickHistory.h"

namespace tintwright {

void PickHistory::record(const Step &step) {
    m_steps.resize(m_done);
    m_steps.push_back(step);
    m_done = m_steps.size();
}

std::optional<PickHistory::Step> PickHistory::undo() {
    if (m_done == 0)
        return std::nullopt;
    return m_steps[--m_done];
}

std::optional<PickHistory::Step> PickHistory::redo() {
    if (m_done == m_steps.size())
        return std::nullopt;
    return m_steps[m_done++];
}

void PickHistory::clear() {
    m_steps.clear();
    m_done = 0;
}

} // namespace tintwright
