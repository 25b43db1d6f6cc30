#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <optional>

namespace zuv::radio {

// The player's look, as a skin file gives it. Positions and sizes are in
// twips; colours are the file's 0x00BBGGRR values. A line with a bad number
// changes nothing, so a control without a good line stays as it starts:
// hidden (the images, the list, the display and the web image) or unset (the
// window and the labels, which then keep their built-in geometry).
struct SkinWindow
{
    int width = 0;
    int height = 0;

    bool operator==(const SkinWindow&) const = default;
};

// "LineMenu_OnTop", "LineMenu_Min", "LineMenu_End", "Control_Play",
// "Control_Rec", "Control_ShowUser", "Control_Menu", "Control_Sat",
// "Control_Volume".
struct SkinButton
{
    bool shown = false;
    int top = 0;
    int left = 0;

    bool operator==(const SkinButton&) const = default;
};

// "Control_List": the favourite stations.
struct SkinList
{
    QString showFlag;
    int top = 0;
    int left = 0;
    QString playMode; // "hideplay" hides the list while playing
    int width = 0;
    int height = 0;
    int backColour = 0;
    int textColour = 0;

    bool operator==(const SkinList&) const = default;
};

// "SVDisplay": the panel behind the texts.
struct SkinDisplay
{
    QString showFlag;
    int top = 0;
    int left = 0;
    QString idleMode;      // "showevery": shown while idle too
    QString emptyListMode; // "showifnulllist": shown while idle with no favourites

    bool operator==(const SkinDisplay&) const = default;
};

// "Zuvwww": the web image.
struct SkinWeb
{
    QString showFlag;
    int top = 0;
    int left = 0;
    QString mode; // "showevery" or "showstop"

    bool operator==(const SkinWeb&) const = default;
};

// "InfoName", "InfoTime", "InfoNaladit".
struct SkinLabel
{
    int top = 0;
    int left = 0;
    int width = 0;
    int height = 0;
    int textColour = 0;

    bool operator==(const SkinLabel&) const = default;
};

// "InfoStatus": two places, the first for while nothing has a position.
struct SkinStatus
{
    QString placementFlag; // "1" allows the first place
    int firstTop = 0;
    int secondTop = 0;
    int left = 0;
    int width = 0;
    int firstHeight = 0;
    int secondHeight = 0;
    int textColour = 0;

    bool operator==(const SkinStatus&) const = default;
};

struct Skin
{
    std::optional<SkinWindow> SVform;
    SkinButton LineMenu_OnTop;
    SkinButton LineMenu_Min;
    SkinButton LineMenu_End;
    SkinButton Control_Play;
    SkinButton Control_Rec;
    SkinButton Control_ShowUser;
    SkinButton Control_Menu;
    SkinButton Control_Sat;
    SkinButton Control_Volume;
    std::optional<SkinList> Control_List;
    std::optional<SkinDisplay> SVDisplay;
    std::optional<SkinWeb> Zuvwww;
    std::optional<SkinLabel> InfoName;
    std::optional<SkinLabel> InfoTime;
    std::optional<SkinLabel> InfoNaladit;
    std::optional<SkinStatus> InfoStatus;

    bool operator==(const Skin&) const = default;
};

// Applies the lines in order; a later line of the same element wins. Never
// fails: what cannot be read is left out.
Skin parseSkin(const QStringList& lines);

// Reads a skin file (Windows-1250); nothing when it cannot be read.
std::optional<Skin> readSkin(const QString& path);

// 0x00BBGGRR as 0xFFRRGGBB, the layout QColor::fromRgb() takes; skinColor()
// below gives the QColor itself.
quint32 skinRgb(int colour);

// The skins folder, "<data folder>/skins".
QString skinFolder();

// The skin file and a picture of a skin, e.g. skinPicture("Noc", "form.gif").
QString skinFile(const QString& name);
QString skinPicture(const QString& name, const QString& file);

// The names of the "*.skin" files of a folder (extension in any case), sorted
// ignoring case: the file system's own order is not stable on Linux.
QStringList skinNames(const QString& folder);

// The listed spelling of `wanted` (compared ignoring case), else the first
// name, else empty: the player needs a readable skin at start.
QString pickSkin(const QStringList& names, const QString& wanted);

// The volume picture's level 0 to 5 (0; 1-20; 21-40; 41-60; 61-80; above
// 80); nothing for a negative value, which changes nothing.
std::optional<int> volumeLevel(int value);

// What the skin shows in a play state. Idle, the list gives way to the
// display when there are no favourites. An element the skin does not show
// ("show" flag) never appears.
struct SkinVisibility
{
    bool list = false;
    bool display = false;
    bool web = false;
    QString playPicture; // "play.gif" or "stop.gif"

    bool operator==(const SkinVisibility&) const = default;
};
SkinVisibility skinVisibility(const Skin& skin, bool playing, bool favouritesEmpty);

// Where InfoStatus goes: the first place while the position text is empty
// and the skin allows it ("1"), else the second.
struct StatusPlace
{
    int top = 0;
    int height = 0;

    bool operator==(const StatusPlace&) const = default;
};
StatusPlace statusPlace(const SkinStatus& status, const QString& positionText);

} // namespace zuv::radio

// Only where Qt Gui is at hand (the window, the tests): the core itself is
// built without it.
#if __has_include(<QColor>)
#include <QColor>

namespace zuv::radio {

inline QColor skinColor(int colour)
{
    return QColor::fromRgb(skinRgb(colour));
}

} // namespace zuv::radio
#endif
