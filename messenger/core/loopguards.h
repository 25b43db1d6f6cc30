#pragma once

#include <array>

namespace zuv::messenger {

// Counters that stop a loop from running away: guard 1 counts reply lines
// of one pass, guard 3 attempts to reach a chat window.
class LoopGuards
{
public:
    // Adds one to guard `index`; false when it reaches 999 (it then starts
    // again at 0), true otherwise.
    bool CONTerrors(int index);
    void reset(int index);
    int value(int index) const;

private:
    std::array<int, 1001> m_guards{};
};

} // namespace zuv::messenger
