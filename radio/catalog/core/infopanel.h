#pragma once

#include <QString>
#include <optional>

namespace zuv::radio {

// What a "zuv:i:" line (without its prefix) sets up in the info panel. Its
// seven fields are separated by "/@/"; missing ones read as empty.
struct InfoPanelCommand
{
    bool bold = false;         // field 0 is "1"
    std::optional<int> colour; // field 1: Windows colour value 0x00BBGGRR
    int intervalMs = 100;      // field 2: typing interval, always positive
    QString text;              // field 3
    QString tooltip;           // field 4
    QString command;           // field 5: "openurl", "showusers", "opengbrowser"
    QString argument;          // field 6
};

// A colour that is not a number from 0 to 0xFFFFFF gives none; an interval
// that is not a positive number of milliseconds gives the 100 ms default.
InfoPanelCommand readInfoPanel(const QString& commandsG);

// The panel text typed out character by character, one per timer tick.
struct InfoTyping
{
    QString text;
    int counter = 0; // characters shown by the next tick
    bool finished = false;

    // Starts typing a new text from its first character.
    void begin(const QString& newText);
    // The caption for this tick: the first `counter` characters. The tick
    // that shows the whole text sets `finished` (the timer stops) and sets the
    // counter back to 0; so a text of ten characters is complete on the
    // eleventh tick, the first showing nothing.
    QString tick();
};

// What a "zuv:r:" line (without its prefix) sets up in the advert strip:
// "height/@/window height/@/switch/@/URL", heights in twips.
struct AdvertCommand
{
    bool shown = false; // the switch is "1" and both heights are numbers
    int height = 0;
    int windowHeight = 0;
    QString url; // loaded whether the strip is shown or not
};
AdvertCommand readAdvert(const QString& commandsG);

// Who the panel's links act for: the server base URL, the member's id and
// the stored password value.
struct PanelAccount
{
    QString serverBase;
    QString userId;
    QString password;
};

// "openurl": the web site's login address leading to the page of the
// argument, "<server>/login/<id>/<Heslo(password)>/<MakePageRe(page)>/1".
QString openUrlAddress(const PanelAccount& account, const QString& argument);

// "showusers": the arguments of the player's SendCommand.
struct SendCommandRequest
{
    QString program;
    QString title;
    QString text;
    QString mode;
};
// The argument is "program||title||text||mode". Every ".." is removed from
// the program. The server chooses the program, so only one of the suite's
// own by its bare name (zuv, msg, sorvanta, ZuvRecorder, Postrel,
// ZuvBrowser, load, load2; ".exe" and trailing spaces allowed, letter case
// aside) is accepted; a path, an argument or any other name gives nothing.
std::optional<SendCommandRequest> showUsersRequest(const QString& argument);

// "opengbrowser": the page shown in the suite's web view.
struct BrowserRequest
{
    QString message; // page + CR LF + layout, shown before the start
    QString launch;  // "<dir>\ZuvBrowser.exe <server>/<page>/@/<layout>"
};
// In the argument the markers "*.Zuvidh*" (id), "*.Zuvh*" (password value),
// "*.!Zuvh*" (Heslo of it) and "*.l*" ("/") are replaced in one pass over
// the argument, so a value put in is never read as a marker; then it is split
// at "|=|" into page and layout, and "||" in the layout becomes "/@/". The
// program started is always ZuvBrowser in the program folder `programDir`.
BrowserRequest openBrowserRequest(const PanelAccount& account, const QString& programDir,
                                  const QString& argument);

// A click on the panel: what its command word (letter case aside) asks for.
struct InfoPanelAction
{
    enum Kind
    {
        Nothing,
        OpenUrl,     // open `url` with the suite's URL opener
        SendCommand, // the player's SendCommand with `send`
        StartBrowser // show `browser.message`, then start `browser.launch` minimised
    };
    Kind kind = Nothing;
    QString url;
    SendCommandRequest send;
    BrowserRequest browser;
};
InfoPanelAction infoPanelClick(const QString& command, const QString& argument,
                               const PanelAccount& account, const QString& programDir);

} // namespace zuv::radio
