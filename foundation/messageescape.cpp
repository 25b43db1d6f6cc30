#include "messageescape.h"

namespace zuv::MessageEscape {

QString escape(const QString& text)
{
    QString out = text;
    for (const Pair& pair : kPairs)
        out.replace(QString::fromUtf16(pair.plain), QString::fromUtf16(pair.escaped),
                    Qt::CaseInsensitive);
    return out;
}

} // namespace zuv::MessageEscape
