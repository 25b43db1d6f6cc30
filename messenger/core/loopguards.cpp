#include "loopguards.h"

namespace zuv::messenger {

bool LoopGuards::CONTerrors(int index)
{
    if (index < 0 || index >= int(m_guards.size()))
        return true;
    if (++m_guards[index] >= 999) {
        m_guards[index] = 0;
        return false;
    }
    return true;
}

void LoopGuards::reset(int index)
{
    if (index >= 0 && index < int(m_guards.size()))
        m_guards[index] = 0;
}

int LoopGuards::value(int index) const
{
    return index >= 0 && index < int(m_guards.size()) ? m_guards[index] : 0;
}

} // namespace zuv::messenger
