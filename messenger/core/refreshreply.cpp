#include "refreshreply.h"

namespace zuv::messenger {

ClassifiedLine classifyReplyLine(const QString& line)
{
    struct Marker
    {
        const char16_t* text;
        ReplyLine kind;
    };
    static const Marker markers[] = {
        {u">Zuv>", ReplyLine::Contact},
        {u">MsG>", ReplyLine::Message},
        {u">WWW>", ReplyLine::WebWindow},
        {u">SVPlay>", ReplyLine::RemotePlay},
        {u">FiQ>", ReplyLine::SharedFile},
        {u"online:", ReplyLine::Online},
        {u"inbox:", ReplyLine::Inbox},
        {u"mynick:", ReplyLine::MyNick},
        {u"timerakta:", ReplyLine::ActiveInterval},
        {u"timeraktb:", ReplyLine::PassiveInterval},
        {u"timeraktc:", ReplyLine::FastInterval},
        {u"zuvnewversion", ReplyLine::NewVersion},
        {u"er:pass57302918zuv", ReplyLine::WrongPassword},
        {u"er:stopuserzuv", ReplyLine::Suspended},
    };
    for (const Marker& marker : markers) {
        const QStringView text(marker.text);
        if (line.startsWith(text))
            return {marker.kind, line.mid(text.size())};
    }
    return {};
}

} // namespace zuv::messenger
