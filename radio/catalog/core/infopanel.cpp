#include "infopanel.h"

#include <QStringList>
#include <foundation/fieldlist.h>
#include <foundation/loginlink.h>

namespace zuv::radio {
namespace {

std::optional<int> number(const QString& text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

InfoPanelCommand readInfoPanel(const QString& commandsG)
{
    const QStringList fields = splitFields(commandsG);
    InfoPanelCommand panel;
    panel.bold = fields.value(0) == u"1";
    const std::optional<int> colour = number(fields.value(1));
    if (colour && *colour >= 0 && *colour <= 0xFFFFFF)
        panel.colour = colour;
    // A timer of 0 ms would never tick (or tick without pause): keep the default.
    if (const std::optional<int> interval = number(fields.value(2)); interval && *interval > 0)
        panel.intervalMs = *interval;
    panel.text = fields.value(3);
    panel.tooltip = fields.value(4);
    panel.command = fields.value(5);
    panel.argument = fields.value(6);
    return panel;
}

void InfoTyping::begin(const QString& newText)
{
    text = newText;
    counter = 0;
    finished = false;
}

QString InfoTyping::tick()
{
    const QString caption = text.left(counter);
    // ">=" and not "==": a counter left beyond a shorter text must stop too.
    if (counter >= text.size()) {
        counter = 0;
        finished = true;
    } else {
        ++counter;
    }
    return caption;
}

AdvertCommand readAdvert(const QString& commandsG)
{
    const QStringList fields = splitFields(commandsG);
    AdvertCommand advert;
    const std::optional<int> height = number(fields.value(0));
    const std::optional<int> windowHeight = number(fields.value(1));
    advert.shown =
        fields.value(2) == u"1" && height && *height >= 0 && windowHeight && *windowHeight >= 0;
    if (advert.shown) {
        advert.height = *height;
        advert.windowHeight = *windowHeight;
    }
    advert.url = fields.value(3);
    return advert;
}

QString openUrlAddress(const PanelAccount& account, const QString& argument)
{
    return account.serverBase + QStringLiteral("/login/") + account.userId + u'/' +
           LoginLink::Heslo(account.password) + u'/' + LoginLink::MakePageRe(argument) +
           QStringLiteral("/1");
}

std::optional<SendCommandRequest> showUsersRequest(const QString& argument)
{
    static const QStringList kSuitePrograms = {
        QStringLiteral("zuv"),         QStringLiteral("msg"),     QStringLiteral("sorvanta"),
        QStringLiteral("ZuvRecorder"), QStringLiteral("Postrel"), QStringLiteral("ZuvBrowser"),
        QStringLiteral("load"),        QStringLiteral("load2"),
    };
    const QStringList parts = argument.split(QStringLiteral("||"));
    SendCommandRequest request{parts.value(0), parts.value(1), parts.value(2), parts.value(3)};
    request.program.remove(QStringLiteral(".."));
    QString name = request.program;
    while (name.endsWith(u' '))
        name.chop(1);
    if (name.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive))
        name.chop(4);
    // Only a bare name: anything else (a path, an argument) fails to match.
    if (!kSuitePrograms.contains(name, Qt::CaseInsensitive))
        return std::nullopt;
    return request;
}

BrowserRequest openBrowserRequest(const PanelAccount& account, const QString& programDir,
                                  const QString& argument)
{
    const std::pair<QStringView, QString> markers[] = {
        {u"*.Zuvidh*", account.userId},
        {u"*.Zuvh*", account.password},
        {u"*.!Zuvh*", LoginLink::Heslo(account.password)},
        {u"*.l*", QStringLiteral("/")},
    };
    QString replaced;
    replaced.reserve(argument.size());
    for (qsizetype i = 0; i < argument.size();) {
        const QStringView rest = QStringView(argument).sliced(i);
        bool matched = false;
        for (const auto& [marker, value] : markers) {
            if (rest.startsWith(marker)) {
                replaced += value;
                i += marker.size();
                matched = true;
                break;
            }
        }
        if (!matched)
            replaced += argument.at(i++);
    }
    const QStringList parts = replaced.split(QStringLiteral("|=|"));
    const QString page = parts.value(0);
    const QString separator = kFieldSeparator.toString();
    const QString layout = parts.value(1).replace(QStringLiteral("||"), separator);
    return {page + QStringLiteral("\r\n") + layout,
            programDir + QStringLiteral("\\ZuvBrowser.exe ") + account.serverBase + u'/' + page +
                separator + layout};
}

InfoPanelAction infoPanelClick(const QString& command, const QString& argument,
                               const PanelAccount& account, const QString& programDir)
{
    InfoPanelAction action;
    if (command.compare(u"openurl", Qt::CaseInsensitive) == 0) {
        action.kind = InfoPanelAction::OpenUrl;
        action.url = openUrlAddress(account, argument);
    } else if (command.compare(u"showusers", Qt::CaseInsensitive) == 0) {
        if (const auto request = showUsersRequest(argument)) {
            action.kind = InfoPanelAction::SendCommand;
            action.send = *request;
        }
    } else if (command.compare(u"opengbrowser", Qt::CaseInsensitive) == 0) {
        action.kind = InfoPanelAction::StartBrowser;
        action.browser = openBrowserRequest(account, programDir, argument);
    }
    return action;
}

} // namespace zuv::radio
